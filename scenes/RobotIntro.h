#pragma once
// The assembled robot stands in its rest pose while the camera cuts twice.
// On screen from 98.0 s to 102.476 s of the demo clock.

#include "Demo.h"
#include "Matrix.h"

namespace lb_engine {
class Config;
class Hierarchy3D;
class Mesh3D;
class Node;
class ShaderProgram;
}  // namespace lb_engine

class RobotIntro : public lb_engine::Scene {
 public:
  RobotIntro(int width, int height, lb_engine::Config* config);
  void show(double t) override;

  // Which of the three viewpoints is used at clock t (0, 1 or 2), and its eye.
  static int cameraIndex(double t);
  static const double* cameraEye(double t);

  unsigned int floorTexture;
  unsigned int tunnelTexture;
  unsigned int cubeTexture;
  lb_engine::ShaderProgram* program;
  lb_engine::Mesh3D* tunnel;
  lb_engine::Mesh3D* partMesh;
  lb_engine::Mesh3D* floor;
  lb_engine::Matrix projection;
  lb_engine::Hierarchy3D* robot;  // rest pose, neither baked nor posed
  lb_engine::Node* center;
};
