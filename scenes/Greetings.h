#pragma once
// A fall down a shaft of greetings inside a glass tube.
// On screen from 61.692 s to 91.017 s of the demo clock.

#include "Demo.h"
#include "Matrix.h"

namespace lb_engine {
class Config;
class Mesh3D;
class ShaderProgram;
}  // namespace lb_engine

class Greetings : public lb_engine::Scene {
 public:
  static constexpr int kCubeCount = 12;

  lb_engine::Mesh3D* glassTubeMesh;
  lb_engine::Mesh3D* groupsMesh;
  lb_engine::Mesh3D* cubeMesh;
  unsigned int groupsTexture;
  unsigned int cubeTexture;
  unsigned int glassTubeTexture;
  lb_engine::ShaderProgram* program;
  lb_engine::ShaderProgram* glassProgram;
  lb_engine::Matrix projection;
  // Per cube: x and z in [0, 2); y in [0, 12), its height above 200 at the start.
  float cubePositions[kCubeCount][3];

  // Draws 60 values of the process-wide drand48 sequence (5 per cube).
  Greetings(int width, int height, lb_engine::Config* config);
  // Draws 2 more drand48 values per frame, for the camera shake.
  void show(double t) override;
};
