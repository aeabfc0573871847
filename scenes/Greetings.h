#pragma once
// A fall down a shaft of greetings inside a glass tube.
// On screen from 61.692 s to 91.017 s of the demo clock.

#include "Demo.h"

namespace lb_engine {
class Config;
}

class Greetings : public lb_engine::Scene {
 public:
  Greetings(int width, int height, lb_engine::Config* config);
  void show(double t) override;
};
