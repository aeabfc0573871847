#pragma once
// Flight down a turning circuit tunnel among tumbling cubes.
// On screen from 21.067 s to 33.9 s of the demo clock.

#include "Demo.h"

namespace lb_engine {
class Config;
}

class BouncingCubes : public lb_engine::Scene {
 public:
  BouncingCubes(int width, int height, lb_engine::Config* config);
  void show(double t) override;
};
