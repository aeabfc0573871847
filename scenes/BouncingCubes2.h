#pragma once
// A sideways view through the tunnel as cubes drift and bob across it.
// On screen from 33.9 s to 42.067 s of the demo clock.

#include "Demo.h"

namespace lb_engine {
class Config;
}

class BouncingCubes2 : public lb_engine::Scene {
 public:
  BouncingCubes2(int width, int height, lb_engine::Config* config);
  void show(double t) override;
};
