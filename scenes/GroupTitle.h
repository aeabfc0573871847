#pragma once
// Opening title: the group's name with the credits sliding past.
// On screen from 0.0 s to 4.817 s of the demo clock.

#include "Demo.h"

namespace lb_engine {
class Config;
}

class GroupTitle : public lb_engine::Scene {
 public:
  GroupTitle(int width, int height, lb_engine::Config* config);
  void show(double t) override;
};
