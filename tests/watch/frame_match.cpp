// frame_match: tells how closely a screen capture matches candidate frames of
// the offline renderer, for the end-to-end watch of the running show.
//
//   frame_match CAPTURE.png                   how much of the capture is lit
//   frame_match CAPTURE.png CANDIDATE.png...  the candidate that matches best
//
// Prints one line of key=value figures. Differences are in levels of 255 per
// colour channel; shares are of all pixels. Exit status 0 when the figures were
// computed, 2 on bad arguments or an unreadable or mismatched image.

#include "res_PngRgb.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Rgb {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> pixels;  // RGB, top row first
};

bool readPng(const char* path, Rgb* image) {
  std::string error;
  if (lb_test::readPngRgb(path, &image->width, &image->height, &image->pixels, &error)) return true;
  std::fprintf(stderr, "frame_match: %s\n", error.c_str());
  return false;
}

// A pixel is lit when any channel is above this level: the show's black
// background and a blank window stay below it.
const int kLitLevel = 16;
// A pixel differs when any channel differs by more than the tolerance the
// scene reference tests use for rasteriser noise.
using lb_test::kChannelTolerance;

double litShare(const Rgb& image) {
  size_t lit = 0;
  const size_t count = image.pixels.size() / 3;
  for (size_t p = 0; p < count; ++p) {
    const unsigned char* c = &image.pixels[3 * p];
    if (c[0] > kLitLevel || c[1] > kLitLevel || c[2] > kLitLevel) ++lit;
  }
  return count == 0 ? 0.0 : static_cast<double>(lit) / count;
}

struct Difference {
  double meanAbsolute = 0.0;  // over all channels of all pixels
  double differingShare = 0.0;
};

Difference compare(const Rgb& a, const Rgb& b) {
  Difference d;
  size_t total = 0;
  size_t differing = 0;
  const size_t count = a.pixels.size() / 3;
  for (size_t p = 0; p < count; ++p) {
    int worst = 0;
    for (int c = 0; c < 3; ++c) {
      const int delta = std::abs(a.pixels[3 * p + c] - b.pixels[3 * p + c]);
      total += delta;
      if (delta > worst) worst = delta;
    }
    if (worst > kChannelTolerance) ++differing;
  }
  if (count > 0) {
    d.meanAbsolute = static_cast<double>(total) / (3.0 * count);
    d.differingShare = static_cast<double>(differing) / count;
  }
  return d;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::string(argv[1]) == "--help") {
    std::fprintf(argc < 2 ? stderr : stdout,
                 "usage: frame_match CAPTURE.png [CANDIDATE.png ...]\n"
                 "  Prints lit=SHARE (pixels with a channel above %d of 255); with candidates also\n"
                 "  best=INDEX (0-based) mad=LEVELS (mean absolute difference) differing=SHARE\n"
                 "  (pixels with a channel more than %d levels off) of the closest candidate and\n"
                 "  worst_mad=LEVELS of the farthest one.\n",
                 kLitLevel, kChannelTolerance);
    return argc < 2 ? 2 : 0;
  }
  Rgb capture;
  if (!readPng(argv[1], &capture)) return 2;
  std::printf("lit=%.4f", litShare(capture));
  int best = -1;
  Difference bestDifference;
  double worstMad = 0.0;
  for (int i = 2; i < argc; ++i) {
    Rgb candidate;
    if (!readPng(argv[i], &candidate)) return 2;
    if (candidate.width != capture.width || candidate.height != capture.height) {
      std::fprintf(stderr, "\nframe_match: %s is %dx%d, the capture %dx%d\n", argv[i], candidate.width,
                   candidate.height, capture.width, capture.height);
      return 2;
    }
    const Difference d = compare(capture, candidate);
    if (best < 0 || d.meanAbsolute < bestDifference.meanAbsolute) {
      best = i - 2;
      bestDifference = d;
    }
    if (d.meanAbsolute > worstMad) worstMad = d.meanAbsolute;
  }
  if (best >= 0)
    std::printf(" best=%d mad=%.3f differing=%.4f worst_mad=%.3f", best, bestDifference.meanAbsolute,
                bestDifference.differingShare, worstMad);
  std::printf("\n");
  return 0;
}
