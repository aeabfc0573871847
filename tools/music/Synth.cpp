#include "Synth.h"

#include <algorithm>
#include <cmath>

#include "Dsp.h"

namespace lb_synth {

namespace {

constexpr double kDt = 1.0 / kSampleRate;

// Where a voice's output goes: pan gains and the amounts sent to the effects.
struct Route {
  double reverb = 0.0;
  double delay = 0.0;
  bool ducked = false;  // follows the kick's sidechain envelope
};

class Mixer {
 public:
  explicit Mixer(size_t frames)
      : dryL(frames), dryR(frames), revL(frames), revR(frames), dlyL(frames), dlyR(frames),
        duck(frames, 1.0f) {}

  size_t frames() const { return dryL.size(); }

  void add(size_t n, double l, double r, const Route& route) {
    if (route.ducked) {
      l *= duck[n];
      r *= duck[n];
    }
    dryL[n] += static_cast<float>(l);
    dryR[n] += static_cast<float>(r);
    if (route.reverb > 0.0) {
      revL[n] += static_cast<float>(l * route.reverb);
      revR[n] += static_cast<float>(r * route.reverb);
    }
    if (route.delay > 0.0) {
      dlyL[n] += static_cast<float>(l * route.delay);
      dlyR[n] += static_cast<float>(r * route.delay);
    }
  }

  std::vector<float> dryL, dryR, revL, revR, dlyL, dlyR;
  std::vector<float> duck;
};

// An exponential decay exp(-t / tau), stepped once per sample: far cheaper
// than calling exp for every sample of every voice.
class Decay {
 public:
  explicit Decay(double tau) : factor_(std::exp(-kDt / tau)) {}
  double next() {
    const double v = value_;
    value_ *= factor_;
    return v;
  }

 private:
  double value_ = 1.0;
  double factor_;
};

// Constant-power pan gains, normalised to unity at the centre.
void panGains(double pan, double& gl, double& gr) {
  const double a = (std::clamp(pan, -1.0, 1.0) + 1.0) * 0.25 * kPi;
  gl = std::cos(a) * std::sqrt(2.0);
  gr = std::sin(a) * std::sqrt(2.0);
}

// Runs `voice(t, l, r)` for every sample of a note's life (hold plus release)
// and mixes the result in. The release is a linear fade that starts at the
// end of the hold; a choked note fades in 15 ms so the pre-cut gap is clean.
template <typename Voice>
void play(Mixer& mix, const Note& note, double releaseSeconds, const Route& route, Voice voice) {
  const double release = note.choked ? std::min(releaseSeconds, 0.015) : releaseSeconds;
  const double total = note.length + release;
  const long first = std::lround(note.time * kSampleRate);
  const long count = static_cast<long>(std::ceil(total * kSampleRate));
  double gl, gr;
  panGains(note.pan, gl, gr);
  for (long i = 0; i < count; ++i) {
    const long n = first + i;
    if (n < 0) continue;
    if (n >= static_cast<long>(mix.frames())) break;
    const double t = i * kDt;
    double env = 1.0;
    if (t > note.length) env = release > 0.0 ? std::max(0.0, 1.0 - (t - note.length) / release) : 0.0;
    double l = 0.0, r = 0.0;
    voice(t, l, r);
    mix.add(static_cast<size_t>(n), l * env * gl, r * env * gr, route);
  }
}

// Seed for a note's noise, so each hit differs but every run is the same.
uint64_t seedOf(const Note& note, int salt) {
  return static_cast<uint64_t>(std::llround(note.time * kSampleRate)) * 131 +
         static_cast<uint64_t>(note.pitch * 7) + static_cast<uint64_t>(salt) * 1000003;
}

void kick(Mixer& mix, const Note& n) {
  double phase = 0.0;
  Random rng(seedOf(n, 1));
  const double v = n.velocity;
  Decay pitchDrop(0.03);
  Decay clickDrop(0.004);
  Decay bodyFade(0.22);
  Decay clickFade(0.0012);
  play(mix, n, 0.02, {0.04, 0.0, false}, [&](double, double& l, double& r) {
    // Pitch drops from about 200 Hz to 45 Hz: the "thump" after the click.
    const double hz = 45.0 + 150.0 * pitchDrop.next() + 60.0 * clickDrop.next();
    phase += 2.0 * kPi * hz * kDt;
    const double body = std::sin(phase) * bodyFade.next();
    const double click = rng.bipolar() * clickFade.next() * 0.2;
    const double s = std::tanh(2.0 * body) * 0.55 + click;
    l = r = s * v;
  });
}

void snare(Mixer& mix, const Note& n) {
  Random rng(seedOf(n, 2));
  OnePole hp;
  hp.set(1500.0);
  double p1 = 0.0, p2 = 0.0;
  const double v = n.velocity;
  Decay lowTone(0.05);
  Decay highTone(0.03);
  Decay noiseFade(0.12);
  play(mix, n, 0.03, {0.22, 0.0, false}, [&](double, double& l, double& r) {
    p1 += 2.0 * kPi * 185.0 * kDt;
    p2 += 2.0 * kPi * 330.0 * kDt;
    const double tone = std::sin(p1) * lowTone.next() * 0.45 + std::sin(p2) * highTone.next() * 0.25;
    const double noise = hp.highpass(rng.bipolar()) * noiseFade.next() * 0.75;
    l = r = (tone + noise) * v * 0.75;
  });
}

// Three quick noise bursts and a tail through a band-pass: hands clapping.
void clap(Mixer& mix, const Note& n) {
  Random rng(seedOf(n, 10));
  Svf bp;
  bp.set(1300.0, 1.2);
  const double v = n.velocity;
  play(mix, n, 0.03, {0.35, 0.0, false}, [&](double t, double& l, double& r) {
    const double burst = std::fmod(t, 0.011);
    const double env = t < 0.033 ? std::exp(-burst / 0.003) : std::exp(-(t - 0.033) / 0.09);
    bp.process(rng.bipolar());
    l = r = bp.band() * env * v * 0.9;
  });
}

void hat(Mixer& mix, const Note& n, double decay) {
  Random rng(seedOf(n, 3));
  Svf hp;
  hp.set(7500.0, 0.8);
  // Six detuned square waves (inharmonic ratios) give the metallic ring.
  static const double kRatios[6] = {1.0, 1.4471, 1.6170, 1.9265, 2.5028, 2.6637};
  double phases[6] = {0, 0.3, 0.6, 0.1, 0.8, 0.45};
  const double v = n.velocity;
  Decay fade(decay);
  play(mix, n, 0.02, {0.08, 0.0, false}, [&](double, double& l, double& r) {
    double metal = 0.0;
    for (int i = 0; i < 6; ++i) {
      phases[i] += 355.0 * kRatios[i] * kDt;
      if (phases[i] >= 1.0) phases[i] -= 1.0;
      metal += phases[i] < 0.5 ? 1.0 : -1.0;
    }
    hp.process(rng.bipolar() * 0.7 + metal * 0.08);
    l = r = hp.high() * fade.next() * v;
  });
}

void crash(Mixer& mix, const Note& n) {
  Random rl(seedOf(n, 4)), rr(seedOf(n, 5));
  Svf fl, fr;
  fl.set(4500.0, 0.6);
  fr.set(4800.0, 0.6);
  const double v = n.velocity;
  Decay ring(1.0);
  Decay sparkle(0.05);
  play(mix, n, 0.05, {0.3, 0.0, false}, [&](double, double& l, double& r) {
    const double env = ring.next() * (0.7 + 0.3 * sparkle.next());
    fl.process(rl.bipolar());
    fr.process(rr.bipolar());
    l = fl.high() * env * v * 0.5;
    r = fr.high() * env * v * 0.5;
  });
}

void tom(Mixer& mix, const Note& n) {
  double phase = 0.0;
  const double f = midiToHz(n.pitch);
  const double v = n.velocity;
  Decay pitchDrop(0.04);
  Decay fade(0.22);
  play(mix, n, 0.03, {0.3, 0.0, false}, [&](double, double& l, double& r) {
    phase += 2.0 * kPi * f * (1.0 + 0.6 * pitchDrop.next()) * kDt;
    l = r = std::tanh(1.5 * std::sin(phase) * fade.next()) * v * 0.6;
  });
}

void boom(Mixer& mix, const Note& n) {
  double phase = 0.0;
  const double f = midiToHz(n.pitch);
  Random rng(seedOf(n, 6));
  Svf lp;
  lp.set(300.0, 0.7);
  const double v = n.velocity;
  Decay pitchDrop(0.07);
  Decay bodyFade(0.8);
  Decay rumbleFade(0.15);
  play(mix, n, 0.05, {0.35, 0.0, false}, [&](double, double& l, double& r) {
    phase += 2.0 * kPi * f * (1.0 + 1.0 * pitchDrop.next()) * kDt;
    const double body = std::sin(phase) * bodyFade.next();
    const double rumble = lp.process(rng.bipolar()) * rumbleFade.next() * 1.2;
    l = r = std::tanh(1.6 * (body + rumble)) * v * 0.55;
  });
}

void riser(Mixer& mix, const Note& n) {
  Random rl(seedOf(n, 7)), rr(seedOf(n, 8));
  Svf fl, fr;
  const double v = n.velocity;
  const double len = std::max(n.length, 0.01);
  int counter = 0;
  play(mix, n, 0.01, {0.4, 0.0, false}, [&](double t, double& l, double& r) {
    const double x = std::min(t / len, 1.0);
    if (counter++ % 32 == 0) {
      const double hz = 250.0 * std::pow(9000.0 / 250.0, x);
      fl.set(hz, 2.5);
      fr.set(hz * 1.05, 2.5);
    }
    fl.process(rl.bipolar());
    fr.process(rr.bipolar());
    const double env = x * x * v * 0.5;
    l = fl.band() * env;
    r = fr.band() * env;
  });
}

void bass(Mixer& mix, const Note& n) {
  Saw saw;
  double sub = 0.0;
  Svf lp;
  const double f = midiToHz(n.pitch);
  const double v = n.velocity;
  const double envAmount = 500.0 + 1500.0 * n.tone;
  int counter = 0;
  play(mix, n, 0.04, {0.03, 0.0, true}, [&](double t, double& l, double& r) {
    if (counter++ % 16 == 0) lp.set(110.0 + 2.0 * f + envAmount * std::exp(-t / 0.08), 1.3);
    sub += 2.0 * kPi * f * kDt;
    const double x = lp.process(saw.next(f)) * 0.8 + std::sin(sub) * 0.55;
    const double attack = std::min(t / 0.003, 1.0);
    l = r = std::tanh(1.4 * x) * attack * v * 0.6;
  });
}

void pad(Mixer& mix, const Note& n) {
  // Five detuned saws (cents), spread across the stereo field.
  static const double kDetune[5] = {-14.0, -6.0, 0.0, 6.0, 14.0};
  Saw saws[5];
  Random rng(seedOf(n, 9));
  for (Saw& s : saws) s.setPhase(rng.unit());
  double hz[5];
  for (int i = 0; i < 5; ++i) hz[i] = midiToHz(n.pitch + kDetune[i] / 100.0);
  Svf fl, fr;
  // The calm, dark sections swell in slowly; the others enter with the bar.
  const double attack = std::min(0.4 * n.length, n.tone < 0.3 ? 2.5 : 0.12);
  const double cutoff = 350.0 + 3200.0 * std::pow(n.tone, 1.5);
  const double v = n.velocity;
  int counter = 0;
  play(mix, n, 0.6, {0.5, 0.1, true}, [&](double t, double& l, double& r) {
    if (counter++ % 32 == 0) {
      const double wobble = 1.0 + 0.2 * std::sin(2.0 * kPi * 0.23 * t);
      fl.set(cutoff * wobble, 0.9);
      fr.set(cutoff * wobble * 1.04, 0.9);
    }
    const double s0 = saws[0].next(hz[0]), s1 = saws[1].next(hz[1]), s2 = saws[2].next(hz[2]);
    const double s3 = saws[3].next(hz[3]), s4 = saws[4].next(hz[4]);
    const double env = std::min(t / attack, 1.0) * v * 0.09;
    l = fl.process(s0 + s1 + 0.5 * s2 + 0.3 * s3) * env;
    r = fr.process(s4 + s3 + 0.5 * s2 + 0.3 * s1) * env;
  });
}

void pluck(Mixer& mix, const Note& n) {
  Pulse pulse;
  Saw saw;
  Svf lp;
  const double f = midiToHz(n.pitch);
  const double envAmount = 1200.0 + 5000.0 * n.tone;
  const double v = n.velocity;
  int counter = 0;
  Decay amp(0.3);
  play(mix, n, 0.12, {0.3, 0.35, true}, [&](double t, double& l, double& r) {
    if (counter++ % 16 == 0) lp.set(250.0 + envAmount * std::exp(-t / 0.07), 1.6);
    const double x = lp.process(pulse.next(f, 0.35) * 0.6 + saw.next(f * 1.003) * 0.4);
    l = r = x * amp.next() * v * 0.3;
  });
}

void lead(Mixer& mix, const Note& n) {
  Saw a, b;
  Pulse low;
  b.setPhase(0.37);
  Svf fl, fr;
  const double f = midiToHz(n.pitch);
  const double base = 1100.0 + 3000.0 * n.tone;
  const double v = n.velocity;
  double vib = 0.0;
  int counter = 0;
  Decay bloom(0.2);
  play(mix, n, 0.18, {0.3, 0.35, true}, [&](double t, double& l, double& r) {
    if (counter++ % 32 == 0) {
      const double c = base + 2500.0 * std::exp(-t / 0.15);
      fl.set(c, 1.1);
      fr.set(c, 1.1);
    }
    // Vibrato fades in after the attack: 5.5 Hz, up to 0.15 semitones.
    vib += 2.0 * kPi * 5.5 * kDt;
    const double depth = 0.15 * std::clamp((t - 0.2) / 0.3, 0.0, 1.0);
    const double hz = f * std::pow(2.0, depth * std::sin(vib) / 12.0);
    const double sa = a.next(hz * 1.004), sb = b.next(hz * 0.996), sl = low.next(hz * 0.5, 0.5);
    const double env = std::min(t / 0.01, 1.0) * (0.75 + 0.25 * bloom.next()) * v * 0.16;
    l = fl.process(sa + 0.3 * sl) * env;
    r = fr.process(sb + 0.3 * sl) * env;
  });
}

void stab(Mixer& mix, const Note& n) {
  Saw saws[3];
  saws[1].setPhase(0.3);
  saws[2].setPhase(0.7);
  const double f = midiToHz(n.pitch);
  const double hz[3] = {f * 0.994, f, f * 1.006};
  Svf lp;
  const double v = n.velocity;
  int counter = 0;
  Decay amp(0.3);
  play(mix, n, 0.1, {0.45, 0.25, false}, [&](double t, double& l, double& r) {
    if (counter++ % 16 == 0) lp.set(900.0 + 7000.0 * std::exp(-t / 0.12), 0.9);
    const double x = lp.process(saws[0].next(hz[0]) + saws[1].next(hz[1]) + saws[2].next(hz[2]));
    l = r = x * amp.next() * v * 0.12;
  });
}

// Sidechain: every kick pulls the ducked voices down by the section's depth,
// reaching the full dip after 2 ms and recovering with a 110 ms time constant.
void buildDuck(Mixer& mix, const std::vector<Note>& notes) {
  const long frames = static_cast<long>(mix.frames());
  const long span = static_cast<long>(0.6 * kSampleRate);
  for (const Note& n : notes) {
    if (n.instrument != Instrument::Kick) continue;
    const double depth = duckDepthAt(n.time + 1e-6);
    if (depth <= 0.0) continue;
    const long first = std::lround(n.time * kSampleRate);
    for (long i = 0; i < span && first + i < frames; ++i) {
      if (first + i < 0) continue;
      const double t = i * kDt;
      const double shape = std::min(t / 0.002, 1.0) * std::exp(-t / 0.11);
      float& d = mix.duck[first + i];
      d = std::min(d, static_cast<float>(1.0 - depth * shape));
    }
  }
}

void renderVoice(Mixer& mix, const Note& n) {
  switch (n.instrument) {
    case Instrument::Kick: kick(mix, n); break;
    case Instrument::Snare: snare(mix, n); break;
    case Instrument::ClosedHat: hat(mix, n, 0.025); break;
    case Instrument::OpenHat: hat(mix, n, 0.16); break;
    case Instrument::Crash: crash(mix, n); break;
    case Instrument::Tom: tom(mix, n); break;
    case Instrument::Boom: boom(mix, n); break;
    case Instrument::Riser: riser(mix, n); break;
    case Instrument::Bass: bass(mix, n); break;
    case Instrument::Pad: pad(mix, n); break;
    case Instrument::Pluck: pluck(mix, n); break;
    case Instrument::Lead: lead(mix, n); break;
    case Instrument::Stab: stab(mix, n); break;
    case Instrument::Clap: clap(mix, n); break;
  }
}

}  // namespace

MixSettings trackMixSettings() {
  MixSettings m;
  m.masterGainDb = 0.0;
  m.ceilingDb = -3.0;
  return m;
}

StereoBuffer renderNotes(const std::vector<Note>& notes, double seconds, const MixSettings& settings) {
  const size_t frames = static_cast<size_t>(std::llround(seconds * kSampleRate));
  Mixer mix(frames);
  buildDuck(mix, notes);
  for (const Note& n : notes) renderVoice(mix, n);

  // Keep the low end out of the reverb so it does not muddy the bass.
  OnePole revHpL, revHpR;
  revHpL.set(180.0);
  revHpR.set(180.0);
  for (size_t i = 0; i < frames; ++i) {
    mix.revL[i] = static_cast<float>(revHpL.highpass(mix.revL[i]));
    mix.revR[i] = static_cast<float>(revHpR.highpass(mix.revR[i]));
  }
  // The delay's repeats are also sent into the reverb.
  PingPongDelay delay(0.375, 0.38, 3500.0);
  std::vector<float> dlyOutL(frames, 0.0f), dlyOutR(frames, 0.0f);
  delay.process(mix.dlyL.data(), mix.dlyR.data(), dlyOutL.data(), dlyOutR.data(), frames, 1.0);
  for (size_t i = 0; i < frames; ++i) {
    mix.dryL[i] += 0.55f * dlyOutL[i];
    mix.dryR[i] += 0.55f * dlyOutR[i];
    mix.revL[i] += 0.2f * dlyOutL[i];
    mix.revR[i] += 0.2f * dlyOutR[i];
  }
  Reverb reverb(0.84, 0.35);
  reverb.process(mix.revL.data(), mix.revR.data(), mix.dryL.data(), mix.dryR.data(), frames, 0.9);

  StereoBuffer out;
  out.left = std::move(mix.dryL);
  out.right = std::move(mix.dryR);

  // DC blocker (one-pole high-pass at 12 Hz), master gain, and a gentle
  // low-pass at 17 kHz: the MP3 encoder drops the top octave anyway, and
  // removing it here first keeps the encoded peaks close to the limited ones.
  OnePole dcL, dcR;
  dcL.set(12.0);
  dcR.set(12.0);
  Svf topL, topR;
  topL.set(17000.0, 0.6);
  topR.set(17000.0, 0.6);
  const double gain = dbToGain(settings.masterGainDb);
  for (size_t i = 0; i < frames; ++i) {
    out.left[i] = static_cast<float>(topL.process(dcL.highpass(out.left[i])) * gain);
    out.right[i] = static_cast<float>(topR.process(dcR.highpass(out.right[i])) * gain);
  }

  if (settings.limit) limitStereo(out.left, out.right, dbToGain(settings.ceilingDb), 0.003, 0.12);

  // Closing fade: raised cosine to silence at kSilentFrom, zeros after.
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    if (t < settings.fadeStart) continue;
    double g = 0.0;
    if (t < kSilentFrom) g = 0.5 + 0.5 * std::cos(kPi * (t - settings.fadeStart) / (kSilentFrom - settings.fadeStart));
    out.left[i] = static_cast<float>(out.left[i] * g);
    out.right[i] = static_cast<float>(out.right[i] * g);
  }
  return out;
}

StereoBuffer renderTrack() { return renderNotes(buildScore(), kTrackSeconds, trackMixSettings()); }

}  // namespace lb_synth
