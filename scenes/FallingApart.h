#pragma once
// The robot walks, falls apart, and the title card closes the show.
// On screen from 121.639 s to 128.0 s of the demo clock.

#include "Demo.h"

namespace lb_engine {
class Config;
}

class FallingApart : public lb_engine::Scene {
 public:
  FallingApart(int width, int height, lb_engine::Config* config);
  void show(double t) override;
};
