#pragma once
// The robot walks, falls apart, and the title card closes the show.
// On screen from 121.639 s to 128.0 s of the demo clock.

#include "Demo.h"
#include "Matrix.h"
#include "RobotCorridor.h"

#include <cstddef>

namespace lb_engine {
class Config;
class Hierarchy3D;
class Mesh3D;
class Node;
class ShaderProgram;
class Sprite;
}  // namespace lb_engine

class FallingApart : public lb_engine::Scene {
 public:
  FallingApart(int width, int height, lb_engine::Config* config);
  void show(double t) override;

  // The world matrix of a part at clock t >= 125 s: its baked transform,
  // drifted by (dx, dz) units per second and dropped under 9.8 units/s^2 until
  // its centre reaches the floor height -2.57, where it stays.
  static lb_engine::Matrix fallenPart(const lb_engine::Matrix& baked, double t, float dx, float dz);
  // The k-th part in the scattered robot's map order at clock t; parts beyond
  // the drift table fall straight down.
  lb_engine::Matrix partMatrix(const lb_engine::Matrix& baked, size_t k, double t) const;
  static bool walking(double t);
  static bool titleShown(double t);

  lb_engine::Matrix projection;
  lb_engine::Mesh3D* cubeMesh;
  lb_engine::Mesh3D* tunnelMesh;
  lb_engine::Mesh3D* floorMesh;
  lb_engine::Hierarchy3D* walkingRobot;    // posed each frame, drawn as a tree
  lb_engine::Hierarchy3D* scatteredRobot;  // baked once, drawn part by part
  lb_engine::ShaderProgram* program;
  lb_engine::ShaderProgram* titleProgram;
  unsigned int floorTexture;
  unsigned int tunnelTexture;
  unsigned int cubeTexture;
  unsigned int titleTexture;
  lb_engine::Sprite* titleSprite;
  float drift[kRobotMaxParts][2];  // (dx, dz) per part, units per second

  // Looked up once so that a frame does no name look-ups.
  lb_engine::Node* walkingCenter;
  lb_engine::Node* leftLeg;
  lb_engine::Node* rightLeg;
  lb_engine::Node* rightKnee;
  lb_engine::Node* leftShoulder;
  lb_engine::Node* rightShoulder;
};
