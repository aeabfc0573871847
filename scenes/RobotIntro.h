#pragma once
// The assembled robot seen from three cuts.
// On screen from 98.0 s to 102.476 s of the demo clock.

#include "Demo.h"

namespace lb_engine {
class Config;
}

class RobotIntro : public lb_engine::Scene {
 public:
  RobotIntro(int width, int height, lb_engine::Config* config);
  void show(double t) override;
};
