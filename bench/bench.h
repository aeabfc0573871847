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

// The last part of a path ("data/cube.obj" -> "cube.obj"), as the tables name files.
inline std::string baseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// Parses "WxH" (both positive).
bool parseSize(const std::string& text, int* width, int* height);

struct FrameOptions {
  int width = 1280, height = 720;  // pixels
  int count = 60;                  // frames timed per scene
  std::string only;                // a scene's name: that scene alone (for profiling); "" for all
};

// The sub-commands; each returns the program's exit status.
int runObj(int reps, const std::vector<std::string>& files);                // obj [--reps N] FILE...
int runObjOne(const std::string& loader, const std::string& file, int reps);  // obj-one (child process)
int runMakeObj(const std::string& path, double megabytes);                  // make-obj PATH MEGABYTES
int runImages(int reps, const std::vector<std::string>& files);             // images [--reps N] FILE...
int runFrames(const FrameOptions& options);                                // frames [--size WxH] ...
int runStartup();       // startup (wall time from main to first frame)
int runStartupSplit();  // startup-split (loading time by kind of asset)
int runPost(int passes, int width, int height);  // post (milliseconds per full-screen pass)
int runOverlay(int frames);  // overlay [--frames N] (the director's overlay, bench_overlay.cpp)

// A hidden width x height window with a current 4.1 core context (bench_show.cpp).
SDL_Window* openWindow(int width, int height);

}  // namespace lb_bench
