#pragma once
// The title hangs still while 28 cubes roll in from the right, tipping over their edges.
// On screen from 4.817 s to 21.067 s of the demo clock.

#include "Demo.h"
#include "Matrix.h"

namespace lb_engine {
class Config;
class Mesh3D;
class RenderBuffer;
class ShaderProgram;
}  // namespace lb_engine

class MarchingCubes : public lb_engine::Scene {
 public:
  static const int kCubeCount = 28;

  lb_engine::Matrix projection;
  lb_engine::ShaderProgram* sceneProgram;  // "gloom"
  lb_engine::ShaderProgram* postProgram;   // "postgloom"
  lb_engine::Mesh3D* titleMesh;            // this scene's own copy of data/demogroup.obj
  lb_engine::Mesh3D* cubeMesh;             // this scene's own copy of data/cube.obj
  float startX[kCubeCount];                // [10, 20)
  float depth[kCubeCount];                 // (-16, -13]
  float phase[kCubeCount];                 // [0, 1), seconds ahead on the roll
  unsigned int backgroundTexture;
  unsigned int cubeTexture;
  lb_engine::RenderBuffer* renderBuffer;

  MarchingCubes(int width, int height, lb_engine::Config* config);
  void show(double t) override;
};
