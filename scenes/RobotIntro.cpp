// The assembled robot stands in its rest pose while the camera cuts twice.
// On screen from 98.0 s to 102.476 s of the demo clock.

#include "RobotIntro.h"

#include "Config.h"
#include "Gl.h"
#include "Hierarchy3D.h"
#include "HierarchyFile.h"
#include "Mesh3D.h"
#include "RobotCorridor.h"
#include "ShaderProgram.h"

#include <string>

using lb_engine::Matrix;

namespace {

const double kStartTime = 98.0;
const double kEndTime = 102.476;

// The camera cuts at these clock times; before the first cut the first eye.
const double kFirstCut = 99.5;
const double kSecondCut = 100.983;
const double kEyes[3][3] = {
    {-3.0, 2.2, -16.2},
    {3.96, -2.93, -16.2},  // just above the floor, looking up at the robot
    {0.41, -1.27, -3.7},
};
const double kLookAt[3] = {0.423, 2.2, -22.0};
const double kUp[3] = {0.0, 1.0, 0.0};

// The robot's placement: R(0, 4.68, 4.67) stands it up facing +z, then it is
// moved to (0.7, 1.01, -22).
const double kRobotTurnY = 4.68;
const double kRobotTurnZ = 4.67;
const double kRobotX = 0.7;
const double kRobotY = 1.01;
const double kRobotZ = -22.0;

}  // namespace

RobotIntro::RobotIntro(int width, int height, lb_engine::Config* config) {
  startTime = kStartTime;
  endTime = kEndTime;
  floor = requireRobotModel(config, "robotfloor", "RobotIntro");
  floorTexture = config->getTexture("robotfloor");
  tunnel = requireRobotModel(config, "robottunel", "RobotIntro");
  tunnelTexture = config->getTexture("robottunel");
  partMesh = requireRobotModel(config, "cubel", "RobotIntro");
  cubeTexture = config->getTexture("cube");

  const std::string path = config->getFile("robothier");
  robot = parsehierfile(path, partMesh);
  center = requireRobotNode(robot, path, "center");

  program = config->getShader("hemisphere");
  projection = robotProjection(width, height);
}

int RobotIntro::cameraIndex(double t) {
  if (t < kFirstCut) return 0;
  if (t < kSecondCut) return 1;
  return 2;
}

const double* RobotIntro::cameraEye(double t) { return kEyes[cameraIndex(t)]; }

void RobotIntro::show(double t) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glClearColor(0, 0, 0, 1);
  Matrix view;
  view.lookAt(cameraEye(t), kLookAt, kUp);
  program->use();
  drawRobotCorridor(program, view, projection, floor, floorTexture, tunnel, tunnelTexture);

  Matrix turn;
  turn.rotate(0, kRobotTurnY, kRobotTurnZ);
  Matrix place;
  place.translate(kRobotX, kRobotY, kRobotZ);
  program->addTexture("img", cubeTexture);
  hierdraw(center, (turn * place) * view, program, projection);
}
