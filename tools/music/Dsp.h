#pragma once
// Small signal-processing building blocks for the offline synthesizer.
// Everything runs at one fixed sample rate and is deterministic: the noise
// source is our own generator, so the same build renders the same samples.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lb_synth {

constexpr int kSampleRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// Frequency in Hz of a MIDI note number (69 = A4 = 440 Hz).
double midiToHz(double note);

// Linear gain of a level in decibels.
double dbToGain(double db);

// xorshift64* generator: fixed sequence for a given seed on every platform.
class Random {
 public:
  explicit Random(uint64_t seed);
  uint64_t next();
  // Uniform in [-1, 1).
  double bipolar();
  // Uniform in [0, 1).
  double unit();

 private:
  uint64_t state_;
};

// Band-limited sawtooth (polyBLEP). Phase is in cycles; the output is in [-1, 1].
class Saw {
 public:
  void setPhase(double phase) { phase_ = phase; }
  double next(double hz);

 private:
  double phase_ = 0.0;
};

// Band-limited pulse wave with a given duty cycle (0.5 = square).
class Pulse {
 public:
  void setPhase(double phase) { phase_ = phase; }
  double next(double hz, double duty);

 private:
  double phase_ = 0.0;
};

// Topology-preserving state-variable filter (Zavalishin). Stable under fast
// cutoff changes, which the filter envelopes of the bass and plucks need.
class Svf {
 public:
  // cutoffHz is clamped below Nyquist; q around 0.5 (soft) to 10 (ringing).
  void set(double cutoffHz, double q);
  // Processes one sample and returns the low-pass output; the band- and
  // high-pass outputs of the same step are kept for band() and high().
  double process(double in);
  double band() const { return band_; }
  double high() const { return high_; }

 private:
  double g_ = 0.0, k_ = 2.0, a1_ = 0.0, a2_ = 0.0, a3_ = 0.0;
  double ic1_ = 0.0, ic2_ = 0.0;
  double band_ = 0.0, high_ = 0.0;
};

// One-pole low-pass; high-pass is the input minus the low-pass.
class OnePole {
 public:
  void set(double cutoffHz);
  double lowpass(double in);
  double highpass(double in) { return in - lowpass(in); }

 private:
  double a_ = 0.0, z_ = 0.0;
};

// Stereo room reverb in the Schroeder/Moorer style: eight damped feedback
// combs into four allpasses per channel, the right channel's delays slightly
// longer so the two sides decorrelate. roomSize is the comb feedback (0..1),
// damping the share of high frequencies lost per pass (0..1).
class Reverb {
 public:
  Reverb(double roomSize, double damping);
  // Adds the wet signal of a stereo input to the outputs (in place allowed).
  void process(const float* inL, const float* inR, float* outL, float* outR, size_t frames,
               double wetGain);

 private:
  struct Comb {
    std::vector<float> buf;
    size_t pos = 0;
    float store = 0.0f;
  };
  struct Allpass {
    std::vector<float> buf;
    size_t pos = 0;
  };
  Comb combs_[2][8];
  Allpass allpasses_[2][4];
  float feedback_, damp_;
};

// Stereo ping-pong delay with a low-passed feedback path.
class PingPongDelay {
 public:
  PingPongDelay(double seconds, double feedback, double toneHz);
  void process(const float* inL, const float* inR, float* outL, float* outR, size_t frames,
               double wetGain);

 private:
  std::vector<float> left_, right_;
  size_t pos_ = 0;
  double feedback_;
  OnePole toneL_, toneR_;
};

// Offline look-ahead peak limiter: because the whole signal is known, gain
// reduction starts `lookahead` samples before a peak, so no sample and no
// estimated inter-sample peak exceeds the ceiling, and nothing is delayed.
// Returns the smallest gain it applied.
double limitStereo(std::vector<float>& left, std::vector<float>& right, double ceiling,
                   double lookaheadSeconds, double releaseSeconds);

}  // namespace lb_synth
