#pragma once
// The robot runs along the corridor under three cameras.
// On screen from 102.476 s to 121.639 s of the demo clock.

#include "Demo.h"

namespace lb_engine {
class Config;
}

class RobotRunning : public lb_engine::Scene {
 public:
  RobotRunning(int width, int height, lb_engine::Config* config);
  void show(double t) override;
};
