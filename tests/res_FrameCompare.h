#pragma once
// Reading rendered frames back and comparing them with committed references,
// with the tolerances every picture regression uses (the scene references and
// the engine example's frame).

#include "FrameRenderer.h"  // lb_render::Image
#include "res_PngRgb.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace lb_test {

// Decodes a PNG to 8-bit RGB (see readPngRgb).
inline bool readPng(const std::string& path, lb_render::Image* image, std::string* error) {
  return readPngRgb(path, &image->width, &image->height, &image->rgb, error);
}

// How two frames of the same size differ: a pixel counts as differing when any
// channel differs by more than the tolerance.
struct Difference {
  size_t differing = 0;
  double share = 0.0;  // of all pixels
  int largest = 0;     // largest channel difference anywhere
};

inline Difference compareFrames(const lb_render::Image& a, const lb_render::Image& b, int channelTolerance) {
  Difference d;
  const size_t pixels = a.rgb.size() / 3;
  for (size_t p = 0; p < pixels; ++p) {
    int worst = 0;
    for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(a.rgb[3 * p + c] - b.rgb[3 * p + c]));
    d.largest = std::max(d.largest, worst);
    if (worst > channelTolerance) ++d.differing;
  }
  d.share = pixels == 0 ? 0.0 : static_cast<double>(d.differing) / pixels;
  return d;
}

// The regressions' share of differing pixels (beyond kChannelTolerance): a
// thin scatter of edge pixels passes; an object moved by a couple of pixels (at
// 160x90) changes both of its edges along their whole length and fails.
const double kMaxDifferingShare = 0.01;  // of the frame's pixels

}  // namespace lb_test
