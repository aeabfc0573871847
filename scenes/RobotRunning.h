#pragma once
// The robot runs along the corridor towards +z under three camera set-ups.
// On screen from 102.476 s to 121.639 s of the demo clock.

#include "Demo.h"
#include "Matrix.h"

namespace lb_engine {
class Config;
class Hierarchy3D;
class Mesh3D;
class Node;
class ShaderProgram;
}  // namespace lb_engine

class RobotRunning : public lb_engine::Scene {
 public:
  // Camera and run distance at one clock time. The robot's body is at depth
  // z = s - 72.
  struct Phase {
    int number;  // 1, 2 or 3
    double s;
    double eye[3];
    double lookAt[3];
  };
  // Joint angles in radians, each a rotation about the joint's own y axis.
  struct Pose {
    double leftLeg, leftKnee, rightShoulder;
    double rightLeg, rightKnee, leftShoulder;
    double leftElbow, rightElbow;
  };

  RobotRunning(int width, int height, lb_engine::Config* config);
  void show(double t) override;

  static Phase phaseAt(double t);
  static Pose poseAt(double t);
  // Height of the body's placement: 1.2 plus the bob |sin(3t) / 2|.
  static double bodyHeight(double t);

  unsigned int floorTexture;
  unsigned int tunnelTexture;
  lb_engine::Hierarchy3D* robot;  // posed every frame, never baked
  lb_engine::ShaderProgram* program;
  unsigned int cubeTexture;
  lb_engine::Mesh3D* partMesh;
  lb_engine::Mesh3D* tunnel;
  lb_engine::Mesh3D* floor;
  lb_engine::Matrix projection;

  // Looked up once so that a frame does no name look-ups.
  lb_engine::Node* center;
  lb_engine::Node* leftLeg;
  lb_engine::Node* leftKnee;
  lb_engine::Node* rightShoulder;
  lb_engine::Node* rightLeg;
  lb_engine::Node* rightKnee;
  lb_engine::Node* leftShoulder;
  lb_engine::Node* leftElbow;
  lb_engine::Node* rightElbow;
};
