#pragma once
// The concrete demo: fixes the global GL state once and, in init(), builds the
// asset catalogue and the ten scenes in playing order.

#include "Demo.h"

namespace lb_engine {
class Config;
}

class MyDemo : public lb_engine::Demo {
 public:
  // The show's length in seconds of its clock: the last scene ends at 128, and
  // the players stop once the clock passes this.
  static constexpr double kShowLength = 130.0;

  MyDemo(int width, int height);
  void init() override;
  // The catalogue init() built (null before it), for tools that look at or
  // reload its assets; the show itself never asks.
  lb_engine::Config* catalogue() const { return catalogue_; }

 private:
  lb_engine::Config* catalogue_ = nullptr;
};
