#pragma once
// Cubes glide along four arms and dive into a sinkhole; the camera descends and fades.
// On screen from 42.067 s to 61.692 s of the demo clock.

#include "Demo.h"

namespace lb_engine {
class Config;
}

class Sinkhole : public lb_engine::Scene {
 public:
  Sinkhole(int width, int height, lb_engine::Config* config);
  void show(double t) override;
};
