#pragma once
// The concrete demo: fixes the global GL state once and, in init(), builds the
// asset catalogue and the ten scenes in playing order.

#include "Demo.h"

class MyDemo : public lb_engine::Demo {
 public:
  MyDemo(int width, int height);
  void init() override;
};
