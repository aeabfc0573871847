#include "Dsp.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace lb_synth {

double midiToHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

double dbToGain(double db) { return std::pow(10.0, db / 20.0); }

Random::Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {
  if (state_ == 0) state_ = 0x2545F4914F6CDD1Dull;
  for (int i = 0; i < 4; ++i) next();
}

uint64_t Random::next() {
  state_ ^= state_ >> 12;
  state_ ^= state_ << 25;
  state_ ^= state_ >> 27;
  return state_ * 0x2545F4914F6CDD1Dull;
}

double Random::unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }

double Random::bipolar() { return unit() * 2.0 - 1.0; }

namespace {

// Residual that removes the aliasing step of a discontinuity at phase 0.
// t is the phase in cycles, dt the phase increment per sample.
double polyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

}  // namespace

double Saw::next(double hz) {
  const double dt = hz / kSampleRate;
  double out = 2.0 * phase_ - 1.0 - polyBlep(phase_, dt);
  phase_ += dt;
  if (phase_ >= 1.0) phase_ -= 1.0;
  return out;
}

double Pulse::next(double hz, double duty) {
  const double dt = hz / kSampleRate;
  double out = phase_ < duty ? 1.0 : -1.0;
  out += polyBlep(phase_, dt);
  double shifted = phase_ - duty;
  if (shifted < 0.0) shifted += 1.0;
  out -= polyBlep(shifted, dt);
  phase_ += dt;
  if (phase_ >= 1.0) phase_ -= 1.0;
  return out;
}

void Svf::set(double cutoffHz, double q) {
  cutoffHz = std::clamp(cutoffHz, 10.0, kSampleRate * 0.45);
  g_ = std::tan(kPi * cutoffHz / kSampleRate);
  k_ = 1.0 / std::max(q, 0.05);
  a1_ = 1.0 / (1.0 + g_ * (g_ + k_));
  a2_ = g_ * a1_;
  a3_ = g_ * a2_;
}

double Svf::process(double in) {
  const double v3 = in - ic2_;
  const double v1 = a1_ * ic1_ + a2_ * v3;
  const double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
  ic1_ = 2.0 * v1 - ic1_;
  ic2_ = 2.0 * v2 - ic2_;
  band_ = v1;
  high_ = in - k_ * v1 - v2;
  return v2;
}

void OnePole::set(double cutoffHz) { a_ = 1.0 - std::exp(-2.0 * kPi * cutoffHz / kSampleRate); }

double OnePole::lowpass(double in) {
  z_ += a_ * (in - z_);
  return z_;
}

Reverb::Reverb(double roomSize, double damping)
    : feedback_(static_cast<float>(roomSize)), damp_(static_cast<float>(damping)) {
  // Delay lengths in samples at 44.1 kHz, mutually prime-ish so the echoes
  // do not line up; the right channel is 23 samples longer for width.
  static const int kCombs[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
  static const int kAllpasses[4] = {556, 441, 341, 225};
  for (int ch = 0; ch < 2; ++ch) {
    for (int i = 0; i < 8; ++i) combs_[ch][i].buf.assign(kCombs[i] + ch * 23, 0.0f);
    for (int i = 0; i < 4; ++i) allpasses_[ch][i].buf.assign(kAllpasses[i] + ch * 23, 0.0f);
  }
}

void Reverb::process(const float* inL, const float* inR, float* outL, float* outR, size_t frames,
                     double wetGain) {
  const float gain = 0.015f;  // input scaling of the classic design, keeps the combs in range
  const float wet = static_cast<float>(wetGain);
  for (size_t n = 0; n < frames; ++n) {
    const float input = (inL[n] + inR[n]) * gain;
    float out[2];
    for (int ch = 0; ch < 2; ++ch) {
      float acc = 0.0f;
      for (Comb& c : combs_[ch]) {
        const float y = c.buf[c.pos];
        c.store = y * (1.0f - damp_) + c.store * damp_;
        c.buf[c.pos] = input + c.store * feedback_;
        if (++c.pos == c.buf.size()) c.pos = 0;
        acc += y;
      }
      for (Allpass& a : allpasses_[ch]) {
        const float b = a.buf[a.pos];
        a.buf[a.pos] = acc + b * 0.5f;
        acc = b - acc;
        if (++a.pos == a.buf.size()) a.pos = 0;
      }
      out[ch] = acc;
    }
    outL[n] += out[0] * wet;
    outR[n] += out[1] * wet;
  }
}

PingPongDelay::PingPongDelay(double seconds, double feedback, double toneHz)
    : left_(static_cast<size_t>(seconds * kSampleRate), 0.0f),
      right_(left_.size(), 0.0f),
      feedback_(feedback) {
  toneL_.set(toneHz);
  toneR_.set(toneHz);
}

void PingPongDelay::process(const float* inL, const float* inR, float* outL, float* outR,
                            size_t frames, double wetGain) {
  for (size_t n = 0; n < frames; ++n) {
    const float dl = left_[pos_];
    const float dr = right_[pos_];
    // Mono input enters the left line; each line feeds the other, so repeats
    // alternate between the channels.
    left_[pos_] = static_cast<float>(0.5 * (inL[n] + inR[n]) + toneR_.lowpass(dr) * feedback_);
    right_[pos_] = static_cast<float>(toneL_.lowpass(dl) * feedback_);
    if (++pos_ == left_.size()) pos_ = 0;
    outL[n] += static_cast<float>(dl * wetGain);
    outR[n] += static_cast<float>(dr * wetGain);
  }
}

namespace {

// Largest magnitude among the sample x1 and three cubic (Catmull-Rom)
// estimates between x1 and x2: a cheap stand-in for 4x oversampled true peak.
double segmentPeak(double x0, double x1, double x2, double x3) {
  double peak = std::fabs(x1);
  for (int i = 1; i < 4; ++i) {
    const double t = i * 0.25;
    const double v = x1 + 0.5 * t *
                              (x2 - x0 + t * (2.0 * x0 - 5.0 * x1 + 4.0 * x2 - x3 +
                                              t * (3.0 * (x1 - x2) + x3 - x0)));
    peak = std::max(peak, std::fabs(v));
  }
  return peak;
}

}  // namespace

double limitStereo(std::vector<float>& left, std::vector<float>& right, double ceiling,
                   double lookaheadSeconds, double releaseSeconds) {
  const size_t n = std::min(left.size(), right.size());
  if (n == 0) return 1.0;
  const size_t look = std::max<size_t>(1, static_cast<size_t>(lookaheadSeconds * kSampleRate));

  // Gain each sample needs on its own.
  std::vector<float> need(n);
  auto at = [n](const std::vector<float>& v, long i) {
    return i < 0 || i >= static_cast<long>(n) ? 0.0 : static_cast<double>(v[i]);
  };
  for (size_t i = 0; i < n; ++i) {
    const long k = static_cast<long>(i);
    double peak = std::max(segmentPeak(at(left, k - 1), at(left, k), at(left, k + 1), at(left, k + 2)),
                           segmentPeak(at(right, k - 1), at(right, k), at(right, k + 1), at(right, k + 2)));
    // The segment estimate also covers the step into sample i from i-1.
    peak = std::max(peak, std::max(segmentPeak(at(left, k - 2), at(left, k - 1), at(left, k), at(left, k + 1)),
                                   segmentPeak(at(right, k - 2), at(right, k - 1), at(right, k), at(right, k + 1))));
    need[i] = static_cast<float>(peak > ceiling ? ceiling / peak : 1.0);
  }

  // Minimum of the need over the coming `look` samples (monotonic deque).
  std::vector<float> ahead(n);
  std::deque<size_t> window;
  for (size_t i = n; i-- > 0;) {
    while (!window.empty() && need[window.back()] >= need[i]) window.pop_back();
    window.push_back(i);
    while (window.front() > i + look) window.pop_front();
    ahead[i] = need[window.front()];
  }

  // A box average over the past `look` samples of that minimum ramps the gain
  // down smoothly and still reaches each peak's need by the time it arrives;
  // the release then recovers exponentially.
  const double release = 1.0 - std::exp(-1.0 / (releaseSeconds * kSampleRate));
  double sum = 0.0;
  double gain = 1.0;
  double smallest = 1.0;
  for (size_t i = 0; i < n; ++i) {
    sum += ahead[i];
    if (i >= look) sum -= ahead[i - look];
    const double count = static_cast<double>(std::min(i + 1, look));
    // Before `look` samples exist the missing ones count as unity gain.
    const double target = (sum + static_cast<double>(look) - count) / static_cast<double>(look);
    if (target < gain) {
      gain = target;
    } else {
      gain += (target - gain) * release;
    }
    smallest = std::min(smallest, gain);
    left[i] = static_cast<float>(left[i] * gain);
    right[i] = static_cast<float>(right[i] * gain);
  }
  return smallest;
}

}  // namespace lb_synth
