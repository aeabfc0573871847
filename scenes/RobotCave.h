#pragma once
// The robot assembles itself from flying cubes in a corridor.
// On screen from 91.017 s to 98.0 s of the demo clock.

#include "Demo.h"

namespace lb_engine {
class Config;
}

class RobotCave : public lb_engine::Scene {
 public:
  RobotCave(int width, int height, lb_engine::Config* config);
  void show(double t) override;
};
