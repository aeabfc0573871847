#pragma once
// Cubes tipping over their edges below the title.
// On screen from 4.817 s to 21.067 s of the demo clock.

#include "Demo.h"

namespace lb_engine {
class Config;
}

class MarchingCubes : public lb_engine::Scene {
 public:
  MarchingCubes(int width, int height, lb_engine::Config* config);
  void show(double t) override;
};
