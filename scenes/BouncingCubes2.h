#pragma once
// A sideways view through the tunnel as cubes drift and bob across it.
// On screen from 33.9 s to 42.067 s of the demo clock.

#include "Demo.h"
#include "Matrix.h"

namespace lb_engine {
class Config;
class Mesh3D;
class ShaderProgram;
}  // namespace lb_engine

class BouncingCubes2 : public lb_engine::Scene {
 public:
  static const int kCubeCount = 50;

  lb_engine::Matrix projection;
  lb_engine::ShaderProgram* program;  // "default", straight into the window
  lb_engine::Mesh3D* tunnel;          // this scene's own copy of data/tunnel.obj
  lb_engine::Mesh3D* cube;            // this scene's own copy of data/cube.obj
  unsigned int tunnelTexture;         // catalogue texture "circuit"
  unsigned int cubeTexture;           // catalogue texture "cube"
  float startX[kCubeCount];           // (-25, 0]
  float bobPhase[kCubeCount];         // [0, 6.28) radians
  float depth[kCubeCount];            // (-6, -2]
  float spinOffset[kCubeCount];       // [0, 1) radians

  BouncingCubes2(int width, int height, lb_engine::Config* config);
  void show(double t) override;
};
