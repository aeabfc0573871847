#pragma once
// MP3 and WAV output of a rendered mix.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Synth.h"

namespace lb_synth {

// Called now and then with the fraction of the work done (0..1).
using Progress = std::function<void(double)>;

// Encodes to MP3 with LAME: joint stereo VBR at quality 2 (about 190 kbit/s).
// The first frame is the Xing/LAME info frame with the encoder delay and
// padding, so gapless-aware decoders return exactly the input samples, from
// sample 0. Returns false with a message in `error` on failure.
bool encodeMp3(const StereoBuffer& audio, std::vector<uint8_t>& mp3, std::string* error,
               const Progress& progress = nullptr);

// Writes bytes to `path` through a temporary file and a rename, so an
// interrupted run never leaves a truncated file with a fresh time stamp.
bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         std::string* error);

// 32-bit float WAV (for inspection and comparison with the decoded MP3).
std::vector<uint8_t> wavBytes(const StereoBuffer& audio);

}  // namespace lb_synth
