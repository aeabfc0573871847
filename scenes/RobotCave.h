#pragma once
// The robot assembles itself from flying cubes in front of a fixed camera.
// On screen from 91.017 s to 98.0 s of the demo clock.

#include "Demo.h"
#include "Matrix.h"
#include "RobotCorridor.h"

namespace lb_engine {
class Config;
class Hierarchy3D;
class Mesh3D;
class ShaderProgram;
}  // namespace lb_engine

class RobotCave : public lb_engine::Scene {
 public:
  RobotCave(int width, int height, lb_engine::Config* config);
  void show(double t) override;

  // Where a cube flying from (0, 10, 0) to its part's place (x, y, z) is at
  // clock t, given the scene's start and the part's arrival time: on the
  // straight line at constant speed, at its place from the arrival on.
  static void partPosition(double t, double start, double arrival, const float place[3],
                           double out[3]);
  // Arrival time of the k-th part in the robot map's iteration order; parts
  // beyond the table arrive last, 6 s after the scene's start.
  double arrivalTime(size_t k) const;

  unsigned int floorTexture;
  unsigned int tunnelTexture;
  unsigned int cubeTexture;
  lb_engine::ShaderProgram* program;
  lb_engine::Mesh3D* tunnel;
  lb_engine::Mesh3D* floor;
  lb_engine::Mesh3D* cube;
  lb_engine::Matrix projection;
  lb_engine::Hierarchy3D* robot;  // baked: each node holds its part's world transform
  double arrivalTimes[kRobotMaxParts];
};
