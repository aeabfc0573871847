// The soundtrack synthesizer: tempo map against the scene cuts, DSP blocks,
// the rendered track (levels, cuts, fade) and the MP3 container.

#include <gtest/gtest.h>
#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Dsp.h"
#include "Mp3Encoder.h"
#include "Score.h"
#include "Synth.h"

using namespace lb_synth;

namespace {

// The scene cuts of the show, the title card and the end of the last scene.
const double kCuts[] = {4.817, 21.067, 33.9, 42.067, 61.692, 91.017, 98.0, 102.476, 121.639, 126.573, 128.0};

size_t frameAt(double seconds) { return static_cast<size_t>(std::llround(seconds * kSampleRate)); }

double rms(const StereoBuffer& b, double from, double to) {
  const size_t a = frameAt(from), e = std::min(frameAt(to), b.frames());
  double sum = 0.0;
  for (size_t i = a; i < e; ++i) sum += double(b.left[i]) * b.left[i] + double(b.right[i]) * b.right[i];
  return std::sqrt(sum / (2.0 * std::max<size_t>(e - a, 1)));
}

double db(double gain) { return 20.0 * std::log10(std::max(gain, 1e-12)); }

// Integrated loudness in LUFS after ITU-R BS.1770-4: K-weighting (high
// shelf + high pass, designed from the analog prototypes for 44.1 kHz),
// 400 ms blocks every 100 ms, absolute gate at -70 LUFS, relative gate 10 LU
// below the ungated mean.
double integratedLufs(const StereoBuffer& b) {
  struct Biquad {
    double b0, b1, b2, a1, a2, z1 = 0.0, z2 = 0.0;
    double run(double x) {
      const double y = b0 * x + z1;
      z1 = b1 * x - a1 * y + z2;
      z2 = b2 * x - a2 * y;
      return y;
    }
  };
  const double fs = kSampleRate;
  double k = std::tan(kPi * 1681.974450955533 / fs);
  const double q = 0.7071752369554196, vh = std::pow(10.0, 3.999843853973347 / 20.0);
  const double vb = std::pow(vh, 0.4996667741545416), a0 = 1.0 + k / q + k * k;
  const Biquad shelf{(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
                     2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
  k = std::tan(kPi * 38.13547087602444 / fs);
  const double q2 = 0.5003270373238773, d = 1.0 + k / q2 + k * k;
  const Biquad highPass{1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / d, (1.0 - k / q2 + k * k) / d};

  std::vector<double> power(b.frames());  // K-weighted, summed over both channels
  Biquad sl = shelf, hl = highPass, sr = shelf, hr = highPass;
  for (size_t i = 0; i < b.frames(); ++i) {
    const double l = hl.run(sl.run(b.left[i])), r = hr.run(sr.run(b.right[i]));
    power[i] = l * l + r * r;
  }
  const size_t block = kSampleRate * 4 / 10, hop = kSampleRate / 10;
  std::vector<double> blocks;
  for (size_t start = 0; start + block <= power.size(); start += hop) {
    double sum = 0.0;
    for (size_t i = start; i < start + block; ++i) sum += power[i];
    blocks.push_back(sum / block);
  }
  auto lufs = [](double p) { return -0.691 + 10.0 * std::log10(p); };
  auto gatedMean = [&](double gate) {
    double sum = 0.0;
    int n = 0;
    for (double p : blocks) {
      if (p > 0.0 && lufs(p) > gate) {
        sum += p;
        ++n;
      }
    }
    return n ? sum / n : 0.0;
  };
  const double relativeGate = lufs(gatedMean(-70.0)) - 10.0;
  return lufs(gatedMean(relativeGate));
}

// The full track, rendered once per test process.
const StereoBuffer& track() {
  static const StereoBuffer buffer = renderTrack();
  return buffer;
}

}  // namespace

// ---------------------------------------------------------------- tempo map

TEST(MusicTempoMap, SectionsStartExactlyOnTheCutsAndTileTheShow) {
  const std::vector<double> hits = hitTimes();
  ASSERT_EQ(hits.size(), std::size(kCuts));
  for (size_t i = 0; i < hits.size(); ++i) EXPECT_DOUBLE_EQ(hits[i], kCuts[i]) << "cut " << i;

  const auto& s = sections();
  EXPECT_EQ(s.front().start, 0.0);
  EXPECT_GE(s.back().end, 130.0);
  for (size_t i = 1; i < s.size(); ++i) EXPECT_EQ(s[i].start, s[i - 1].end) << s[i].name;
}

TEST(MusicTempoMap, WholeBeatsNearOneHundredTwentyBpmPutDownbeatsOnCuts) {
  for (const Section& s : sections()) {
    EXPECT_GT(s.beats, 0) << s.name;
    EXPECT_NEAR(s.beatTime(s.beats), s.end, 1e-9) << s.name;
    EXPECT_GT(s.bpm(), 110.0) << s.name;
    EXPECT_LT(s.bpm(), 130.0) << s.name;
  }
  // Hand-computed: 32 beats from 4.817 to 21.067 s is 60 * 32 / 16.25 BPM.
  EXPECT_NEAR(sections()[1].bpm(), 118.1538, 1e-3);
  EXPECT_NEAR(sections()[1].beatTime(8), 4.817 + 8 * 16.25 / 32, 1e-12);
}

// ---------------------------------------------------------------- score

TEST(MusicScore, EveryCutHasAnOnsetAndAQuietGapBeforeIt) {
  const std::vector<Note> notes = buildScore();
  for (double cut : kCuts) {
    bool accent = false;
    for (const Note& n : notes) {
      const bool loud = n.instrument == Instrument::Kick || n.instrument == Instrument::Boom;
      if (loud && std::fabs(n.time - cut) < 0.5 / kSampleRate) accent = true;
      // Nothing starts in the 100 ms before a cut, and nothing held reaches it.
      EXPECT_FALSE(n.time > cut - 0.1 && n.time < cut - 1e-9) << "note at " << n.time << " before cut " << cut;
      if (n.time < cut - 1e-9) {
        EXPECT_LE(n.time + n.length, cut - 0.05 + 1e-9) << "note at " << n.time;
      }
    }
    EXPECT_TRUE(accent) << "no kick or boom on the cut at " << cut;
  }
  for (const Note& n : notes) {
    EXPECT_GE(n.time, 0.0);
    EXPECT_LT(n.time, 128.5);
    EXPECT_GT(n.length, 0.0);
  }
}

// ---------------------------------------------------------------- DSP blocks

TEST(MusicDsp, PitchAndDecibelConversions) {
  EXPECT_DOUBLE_EQ(midiToHz(69), 440.0);
  EXPECT_NEAR(midiToHz(57), 220.0, 1e-9);
  EXPECT_NEAR(midiToHz(60), 261.6256, 1e-4);
  EXPECT_NEAR(dbToGain(-6.0), 0.501187, 1e-6);
  EXPECT_NEAR(dbToGain(-1.0), 0.891251, 1e-6);
}

TEST(MusicDsp, RandomIsRepeatableBoundedAndCentred) {
  Random a(42), b(42), c(43);
  double sum = 0.0;
  bool differs = false;
  for (int i = 0; i < 100000; ++i) {
    const double x = a.bipolar();
    EXPECT_EQ(x, b.bipolar());
    differs |= x != c.bipolar();
    ASSERT_GE(x, -1.0);
    ASSERT_LT(x, 1.0);
    sum += x;
  }
  EXPECT_TRUE(differs);
  EXPECT_NEAR(sum / 100000, 0.0, 0.01);
}

TEST(MusicDsp, SawHasItsFrequencyAndNoOffset) {
  Saw saw;
  int rising = 0;
  double prev = saw.next(100.0), sum = prev, peak = 0.0;
  for (int i = 1; i < kSampleRate; ++i) {
    const double x = saw.next(100.0);
    if (prev < 0.0 && x >= 0.0) ++rising;  // one upward zero crossing per cycle
    peak = std::max(peak, std::fabs(x));
    sum += x;
    prev = x;
  }
  EXPECT_NEAR(rising, 100, 1);
  EXPECT_NEAR(sum / kSampleRate, 0.0, 0.01);
  EXPECT_LT(peak, 1.1);
}

TEST(MusicDsp, StateVariableFilterAttenuatesAboveCutoff) {
  // Second-order Butterworth (q = 0.7071) at 100 Hz: a decade above the
  // cutoff the gain is 1 / sqrt(1 + 10^4) = 0.0100; a decade below, 1.0.
  auto gainAt = [](double hz) {
    Svf f;
    f.set(100.0, std::sqrt(0.5));
    double peak = 0.0;
    for (int i = 0; i < kSampleRate; ++i) {
      const double y = f.process(std::sin(2.0 * kPi * hz * i / kSampleRate));
      if (i > kSampleRate / 2) peak = std::max(peak, std::fabs(y));
    }
    return peak;
  };
  EXPECT_NEAR(gainAt(1000.0), 0.0100, 0.0005);
  EXPECT_NEAR(gainAt(10.0), 1.0, 0.01);
}

TEST(MusicDsp, LimiterHoldsTheCeilingAheadOfPeaksAndLeavesQuietSignalAlone) {
  const size_t n = kSampleRate / 2;
  std::vector<float> l(n), r(n);
  for (size_t i = 0; i < n; ++i) l[i] = r[i] = static_cast<float>(0.3 * std::sin(2.0 * kPi * 220.0 * i / kSampleRate));
  const std::vector<float> quiet = l;
  std::vector<float> ql = l, qr = r;
  EXPECT_EQ(limitStereo(ql, qr, 0.5, 0.003, 0.1), 1.0);
  EXPECT_EQ(ql, quiet);

  // A spike of 2.0 at 0.25 s: the spike comes out at the ceiling, the music
  // 10 ms earlier is untouched (the look-ahead is 3 ms), and the gain recovers.
  const size_t spike = n / 2;
  l[spike] = r[spike] = 2.0f;
  const double minGain = limitStereo(l, r, 0.5, 0.003, 0.05);
  EXPECT_NEAR(minGain, 0.25, 0.02);
  for (size_t i = 0; i < n; ++i) ASSERT_LE(std::fabs(l[i]), 0.5f + 1e-6f) << i;
  const size_t before = spike - kSampleRate / 100;
  EXPECT_EQ(l[before], quiet[before]);
  EXPECT_NEAR(l[n - 1], quiet[n - 1], 0.01);
}

TEST(MusicDsp, ReverbTailDecaysAndSilenceStaysSilent) {
  const size_t n = 3 * kSampleRate;
  std::vector<float> in(n, 0.0f), outL(n, 0.0f), outR(n, 0.0f);
  Reverb silent(0.84, 0.35);
  silent.process(in.data(), in.data(), outL.data(), outR.data(), n, 1.0);
  EXPECT_TRUE(std::all_of(outL.begin(), outL.end(), [](float x) { return x == 0.0f; }));

  in[0] = 1.0f;
  Reverb reverb(0.84, 0.35);
  reverb.process(in.data(), in.data(), outL.data(), outR.data(), n, 1.0);
  auto energy = [&](double a, double b) {
    double e = 0.0;
    for (size_t i = frameAt(a); i < frameAt(b); ++i) e += double(outL[i]) * outL[i] + double(outR[i]) * outR[i];
    return e;
  };
  EXPECT_GT(energy(0.0, 0.5), 0.0);
  EXPECT_LT(energy(1.0, 1.5), energy(0.0, 0.5) * 0.1);
  EXPECT_LT(energy(2.5, 3.0), energy(1.0, 1.5) * 0.1);
  EXPECT_NE(outL, outR);  // the channels are decorrelated
}

TEST(MusicDsp, RenderingIsDeterministic) {
  // Noisy and pitched voices through every effect: two renders match exactly.
  std::vector<Note> notes = {
      {Instrument::Kick, 0.1, 0.4, 0, 1.0, 0.0, 0.5, false},
      {Instrument::Crash, 0.1, 1.0, 0, 0.8, -0.3, 0.5, false},
      {Instrument::Pad, 0.2, 0.8, 57, 0.8, 0.5, 0.5, false},
      {Instrument::Pluck, 0.5, 0.1, 64, 0.8, -0.5, 0.5, false},
  };
  const MixSettings mix = trackMixSettings();
  const StereoBuffer a = renderNotes(notes, 1.5, mix), b = renderNotes(notes, 1.5, mix);
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.right, b.right);
  EXPECT_GT(rms(a, 0.1, 1.0), 0.01);
}

// ---------------------------------------------------------------- the track

TEST(MusicTrack, LengthPeakClippingAndDcOffset) {
  const StereoBuffer& t = track();
  ASSERT_EQ(t.right.size(), t.left.size());
  EXPECT_GE(t.frames(), 130u * kSampleRate);

  const float ceiling = static_cast<float>(dbToGain(-1.0));
  double sumL = 0.0, sumR = 0.0;
  float peak = 0.0f;
  int flatRuns = 0;
  for (size_t i = 0; i < t.frames(); ++i) {
    ASSERT_TRUE(std::isfinite(t.left[i]) && std::isfinite(t.right[i])) << i;
    peak = std::max({peak, std::fabs(t.left[i]), std::fabs(t.right[i])});
    sumL += t.left[i];
    sumR += t.right[i];
    // Clipping shows as three equal loud samples in a row.
    for (const std::vector<float>* ch : {&t.left, &t.right}) {
      const std::vector<float>& c = *ch;
      if (i >= 2 && std::fabs(c[i]) > 0.5f && c[i] == c[i - 1] && c[i] == c[i - 2]) ++flatRuns;
    }
  }
  EXPECT_LE(peak, ceiling);
  EXPECT_GT(peak, dbToGain(-4.0));  // and the track is not needlessly quiet
  EXPECT_EQ(flatRuns, 0);
  EXPECT_LT(std::fabs(sumL / t.frames()), 1e-3);
  EXPECT_LT(std::fabs(sumR / t.frames()), 1e-3);
}

TEST(MusicTrack, LoudnessMeterReadsAKnownSineAndTheTrackIsInRange) {
  // A 997 Hz sine peaking at -20 dBFS in both channels reads -20.0 LUFS:
  // each channel's mean square is 0.005, their sum 0.01 (-20 dB), and the
  // K-weighting's +0.691 dB at 997 Hz cancels the formula's -0.691 offset.
  StereoBuffer sine;
  for (int i = 0; i < 5 * kSampleRate; ++i) {
    const float x = static_cast<float>(0.1 * std::sin(2.0 * kPi * 997.0 * i / kSampleRate));
    sine.left.push_back(x);
    sine.right.push_back(x);
  }
  EXPECT_NEAR(integratedLufs(sine), -20.0, 0.1);

  const double lufs = integratedLufs(track());
  EXPECT_GT(lufs, -13.5);
  EXPECT_LT(lufs, -10.5);
}

TEST(MusicTrack, LevelRisesSharplyWithinTenMillisecondsOfEveryCut) {
  const StereoBuffer& t = track();
  for (double cut : kCuts) {
    const double before = rms(t, cut - 0.030, cut - 0.010);
    const double after = rms(t, cut, cut + 0.010);
    EXPECT_GT(db(after) - db(before), 10.0) << "cut at " << cut << ": " << db(before) << " -> " << db(after) << " dB";
    EXPECT_GT(db(after), -20.0) << "cut at " << cut;

    // The onset: the first sample from 10 ms before the cut that reaches a
    // quarter of the peak of the 10 ms after it lies within 10 ms of the cut.
    float peak = 0.0f;
    for (size_t i = frameAt(cut); i < frameAt(cut + 0.010); ++i) peak = std::max(peak, std::fabs(t.left[i]));
    size_t onset = frameAt(cut - 0.010);
    while (onset < frameAt(cut + 0.010) && std::fabs(t.left[onset]) < 0.25f * peak) ++onset;
    EXPECT_LT(std::fabs(double(onset) - double(frameAt(cut))), 0.010 * kSampleRate) << "cut at " << cut;
  }
}

TEST(MusicTrack, SectionsFollowTheEnergyOfTheScenes) {
  const StereoBuffer& t = track();
  const double title = db(rms(t, 0.5, 4.5));
  const double marching = db(rms(t, 5.0, 20.5));
  const double tunnels = db(rms(t, 21.5, 41.5));
  const double breakdown = db(rms(t, 62.0, 90.5));
  const double running = db(rms(t, 103.0, 121.0));
  const double finale = db(rms(t, 122.0, 126.0));
  EXPECT_LT(title, marching - 3.0);
  EXPECT_LT(marching, tunnels);
  EXPECT_LT(breakdown, tunnels - 3.0);
  EXPECT_LT(breakdown, running - 3.0);
  EXPECT_GE(finale, marching);
  // The intro swells towards the first cut.
  EXPECT_LT(db(rms(t, 0.0, 1.5)), db(rms(t, 3.0, 4.5)) - 6.0);
}

TEST(MusicTrack, TailFadesToSilenceBeforeTheShowStops) {
  const StereoBuffer& t = track();
  EXPECT_GT(db(rms(t, 128.0, 128.5)), -30.0);  // the final hit is heard
  EXPECT_LT(db(rms(t, 129.8, kSilentFrom)), -50.0);
  EXPECT_EQ(rms(t, kSilentFrom, kTrackSeconds), 0.0);
}

// ---------------------------------------------------------------- MP3 output

namespace {

// Reads a big-endian field of `bits` bits starting `bit` bits into `p`.
uint32_t bitsAt(const uint8_t* p, int bit, int bits) {
  uint32_t v = 0;
  for (int i = 0; i < bits; ++i) v = (v << 1) | ((p[(bit + i) / 8] >> (7 - (bit + i) % 8)) & 1u);
  return v;
}

struct InfoFrame {
  bool found = false;
  uint32_t frames = 0, delay = 0, padding = 0;
  uint64_t samples() const { return uint64_t(frames) * 1152 - delay - padding; }
};

// Reads the Xing/LAME info frame at the start of an MP3 stream: frame count,
// encoder delay and padding (two 12-bit fields 21 bytes into the LAME tag).
InfoFrame readInfoFrame(const std::vector<uint8_t>& mp3) {
  InfoFrame info;
  // An MPEG-1 Layer III frame header first (sync 0xFFF, layer bits 01).
  if (mp3.size() < 200 || mp3[0] != 0xFF || (mp3[1] & 0xFE) != 0xFA) return info;
  const uint8_t* begin = mp3.data();
  const uint8_t* end = begin + std::min<size_t>(mp3.size(), 1024);
  const uint8_t* xing = std::search(begin, end, "Xing", "Xing" + 4);
  if (xing == end) xing = std::search(begin, end, "Info", "Info" + 4);
  if (xing == end || (bitsAt(xing + 4, 0, 32) & 1u) == 0) return info;  // needs the frame count
  const uint8_t* lame = std::search(xing, end, "LAME", "LAME" + 4);
  if (lame == end || lame + 24 > end) return info;
  info.found = true;
  info.frames = bitsAt(xing + 8, 0, 32);
  info.delay = bitsAt(lame + 21, 0, 12);
  info.padding = bitsAt(lame + 21, 12, 12);
  return info;
}

}  // namespace

TEST(MusicMp3, InfoFrameMakesDecodingGaplessFromSampleZero) {
  // One second with a click at a known sample.
  StereoBuffer b;
  b.left.assign(kSampleRate, 0.0f);
  b.right.assign(kSampleRate, 0.0f);
  const size_t click = 12345;
  b.left[click] = b.right[click] = 0.8f;
  std::vector<uint8_t> mp3;
  std::string error;
  ASSERT_TRUE(encodeMp3(b, mp3, &error)) << error;

  const InfoFrame info = readInfoFrame(mp3);
  ASSERT_TRUE(info.found);
  EXPECT_GT(info.delay, 0u);
  EXPECT_LT(info.delay, 1152u * 2);
  EXPECT_EQ(info.samples(), uint64_t(kSampleRate));

  // Decode with LAME's own decoder (which skips the info frame), then drop
  // the encoder delay and the decoder's fixed 529-sample delay, as gapless
  // players do: the click must come out at its original sample.
  hip_t hip = hip_decode_init();
  ASSERT_NE(hip, nullptr);
  std::vector<short> decoded;
  short l[1152 * 2], r[1152 * 2];
  for (size_t pos = 0; pos < mp3.size(); pos += 256) {
    const size_t len = std::min<size_t>(256, mp3.size() - pos);
    int n = hip_decode1(hip, mp3.data() + pos, len, l, r);
    while (n > 0) {
      decoded.insert(decoded.end(), l, l + n);
      n = hip_decode1(hip, nullptr, 0, l, r);
    }
  }
  hip_decode_exit(hip);
  const size_t skip = info.delay + 529;
  ASSERT_GT(decoded.size(), skip + click);
  size_t loudest = skip;
  for (size_t i = skip; i < decoded.size(); ++i) {
    if (std::abs(decoded[i]) > std::abs(decoded[loudest])) loudest = i;
  }
  EXPECT_EQ(loudest - skip, click);
}

TEST(MusicMp3, BuiltTrackFileHoldsTheWholeTrack) {
  const std::string path = std::string(LB_DATA_DIR) + "/music.mp3";
  FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr) << path << " is missing (the lb_music target writes it)";
  std::vector<uint8_t> mp3;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) mp3.insert(mp3.end(), buf, buf + n);
  std::fclose(f);

  const InfoFrame info = readInfoFrame(mp3);
  ASSERT_TRUE(info.found) << path;
  EXPECT_EQ(info.samples(), frameAt(kTrackSeconds));
  // About 190 kbit/s (VBR quality 2): between 150 and 260 kbit/s on average.
  const double kbps = mp3.size() * 8.0 / 1000.0 / kTrackSeconds;
  EXPECT_GT(kbps, 150.0);
  EXPECT_LT(kbps, 260.0);
}

TEST(MusicMp3, FileWritingReportsThePathOnFailure) {
  std::string error;
  EXPECT_FALSE(writeFileAtomically("/nonexistent-dir/x/music.mp3", {1, 2, 3}, &error));
  EXPECT_NE(error.find("/nonexistent-dir/x/music.mp3"), std::string::npos) << error;

  const std::string path = std::string(LB_BINARY_DIR) + "/test_music_write.bin";
  ASSERT_TRUE(writeFileAtomically(path, {1, 2, 3, 4}, &error)) << error;
  FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  uint8_t buf[8];
  EXPECT_EQ(std::fread(buf, 1, sizeof buf, f), 4u);
  std::fclose(f);
  std::remove(path.c_str());
  EXPECT_EQ(buf[3], 4);
}

TEST(MusicMp3, WavHeaderDescribesFloatStereo) {
  StereoBuffer b;
  b.left = {0.5f, -0.25f};
  b.right = {1.0f, 0.0f};
  const std::vector<uint8_t> wav = wavBytes(b);
  ASSERT_EQ(wav.size(), 44u + 16u);
  EXPECT_EQ(std::memcmp(wav.data(), "RIFF", 4), 0);
  EXPECT_EQ(std::memcmp(wav.data() + 8, "WAVE", 4), 0);
  EXPECT_EQ(wav[20], 3);  // IEEE float
  EXPECT_EQ(wav[22], 2);  // channels
  float second;
  std::memcpy(&second, wav.data() + 44 + 4, 4);  // right channel of frame 0
  EXPECT_EQ(second, 1.0f);
}
