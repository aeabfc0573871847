#pragma once
// Shared pieces of the benchmark program: timing, statistics, sub-commands.

#include <algorithm>
#include <string>
#include <time.h>
#include <vector>

struct SDL_Window;

namespace lb_bench {

inline double nowSeconds(clockid_t clock = CLOCK_MONOTONIC) {
  timespec ts;
  clock_gettime(clock, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// Percentile by nearest rank over a copy of the samples (p in 0..100).
inline double percentile(std::vector<double> samples, double p) {
  if (samples.empty()) return 0.0;
  std::sort(samples.begin(), samples.end());
  size_t rank = static_cast<size_t>(p / 100.0 * samples.size() + 0.5);
  if (rank > 0) --rank;
  return samples[std::min(rank, samples.size() - 1)];
}

// Peak resident set size of this process in KiB.
long peakRssKiB();

int runObj(int argc, char** argv);       // obj [--reps N] FILE...
int runObjOne(int argc, char** argv);    // obj-one LOADER FILE REPS (child process)
int runMakeObj(int argc, char** argv);   // make-obj PATH MEGABYTES
int runImages(int argc, char** argv);    // images [--reps N] FILE...
int runFrames(int argc, char** argv);    // frames --size WxH [--frames N]
int runStartup(int argc, char** argv);   // startup (wall time from main to first frame)
int runStartupSplit(int argc, char** argv);  // startup-split (loading time by kind of asset)
int runOverlay(int argc, char** argv);   // overlay [--frames N] (the director's overlay, bench_overlay.cpp)

// A hidden width x height window with a current 4.1 core context (bench_show.cpp).
SDL_Window* openWindow(int width, int height);

}  // namespace lb_bench
