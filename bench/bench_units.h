#pragma once
// Frame times in units of one full-screen pass: on a shared machine the wall
// time of a frame drifts with everybody else's load, but the ratio of a frame to
// a fixed reference pass timed in the same run, a moment apart, drifts far less.
//
// The reference pass is the cheapest post-processing pass there is: a quad over
// the whole window whose fragment shader reads one texel a pixel (nearest
// filter, RGBA8, as a render buffer's colour texture) with the show's blending
// on, like the title card's pass.

#include <cstddef>
#include <vector>

namespace lb_bench {

class UnitPass {
 public:
  // Needs a current GL context whose window is width x height.
  UnitPass(int width, int height);
  ~UnitPass();
  UnitPass(const UnitPass&) = delete;
  UnitPass& operator=(const UnitPass&) = delete;

  // Draws the pass four times into the window between two glFinish calls and
  // returns the wall time of one pass in ms. Saves and restores the GL state
  // it touches, so the show's next frame finds what the scenes left.
  double timeMs();

  // The median wall time of the passes timed so far (0 before the first).
  double medianMs() const;
  // The median CPU time of all the process's threads per pass (llvmpipe shades
  // on its own threads): under heavy load from other programs this is the
  // steadier yardstick.
  double medianCpuMs() const;

  // Forget the passes timed so far (a new window of the run).
  void reset() {
    samples_.clear();
    cpuSamples_.clear();
  }

 private:
  int width_, height_;
  unsigned program_ = 0, texture_ = 0, vao_ = 0, buffer_ = 0;
  std::vector<double> samples_, cpuSamples_;
};

// lb_bench timeline --size WxH [--step S]: the whole show at width x height, one
// frame every `step` seconds of the clock, each followed by one reference pass.
// Prints "# timeline" rows t, ms, process_cpu_ms, units, scene, and a
// "# scenes" section with each scene's span.
int runTimeline(int width, int height, double step);

}  // namespace lb_bench

namespace lb_bench {

// The scenes' spans on the show's clock, in playing order.
struct SceneSpan {
  const char* name;
  double start;
  double end;
};
const SceneSpan* sceneSpans(size_t* count);

}  // namespace lb_bench
