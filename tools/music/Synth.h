#pragma once
// Renders a note list into a finished stereo mix: instruments, sidechain
// ducking, reverb and delay sends, a DC blocker, a look-ahead limiter and the
// closing fade.

#include <cstddef>
#include <vector>

#include "Score.h"

namespace lb_synth {

struct StereoBuffer {
  std::vector<float> left, right;  // full scale is +-1
  size_t frames() const { return left.size(); }
};

struct MixSettings {
  double masterGainDb = 0.0;   // before the limiter
  double ceilingDb = -2.0;     // limiter ceiling, sample and estimated inter-sample peaks
  double fadeStart = 128.9;    // seconds; the fade reaches silence at kSilentFrom
  bool limit = true;
};

// The default mix settings of the show's track.
MixSettings trackMixSettings();

// Renders `notes` into a buffer of `seconds` length at kSampleRate.
StereoBuffer renderNotes(const std::vector<Note>& notes, double seconds, const MixSettings& mix);

// The show's soundtrack: buildScore() rendered with trackMixSettings().
StereoBuffer renderTrack();

}  // namespace lb_synth
