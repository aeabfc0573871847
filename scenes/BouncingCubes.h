#pragma once
// Down a turning tunnel while tumbling cubes fly away into it.
// On screen from 21.067 s to 33.9 s of the demo clock.

#include "Demo.h"
#include "Matrix.h"

namespace lb_engine {
class Config;
class Mesh3D;
class RenderBuffer;
class ShaderProgram;
}  // namespace lb_engine

class BouncingCubes : public lb_engine::Scene {
 public:
  // Values are drawn for kCubesMade cubes (the sequence of every later scene
  // depends on all of them); only the first kCubesDrawn are shown.
  static const int kCubesMade = 120;
  static const int kCubesDrawn = 50;

  lb_engine::Matrix projection;
  lb_engine::ShaderProgram* sceneProgram;  // "default"
  lb_engine::ShaderProgram* postProgram;   // "dof"
  lb_engine::Mesh3D* tunnelMesh;           // this scene's own copy of data/tunnel.obj
  lb_engine::Mesh3D* cubeMesh;             // this scene's own copy of data/cube.obj
  unsigned int tunnelTexture;              // catalogue texture "circuit"
  unsigned int cubeTexture;                // catalogue texture "cube"
  float cubeX[kCubesMade];                 // +-[0.25, 2.45)
  float cubeY[kCubesMade];                 // +-[0.25, 2.45)
  float cubeZ[kCubesMade];                 // [0, 34)
  float cubeAngle[kCubesMade];             // [0, 1) radians
  lb_engine::RenderBuffer* renderBuffer;

  BouncingCubes(int width, int height, lb_engine::Config* config);
  void show(double t) override;
};
