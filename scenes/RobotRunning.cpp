// The robot runs along the corridor towards +z under three camera set-ups.
// On screen from 102.476 s to 121.639 s of the demo clock.

#include "RobotRunning.h"

#include "Config.h"
#include "Gl.h"
#include "Hierarchy3D.h"
#include "HierarchyFile.h"
#include "Mesh3D.h"
#include "RobotCorridor.h"
#include "ShaderProgram.h"

#include <algorithm>
#include <cmath>
#include <string>

using lb_engine::Matrix;

namespace {

const double kStartTime = 102.476;
const double kEndTime = 121.639;

// Run speed in units per second; the body is at depth s - 72.
const double kRunSpeed = 7.0;
const double kBodyDepthOffset = 72.0;

// Phase 1: a fixed camera at the origin watches the robot come towards it.
const double kPhase1Eye[3] = {0.0, 0.0, 0.0};
const double kPhase1LookAt[3] = {0.423, 2.2, -22.0};
// Phase 2: from 109.237 s a fixed camera follows the bobbing body; s counts
// from 112.47 s, so the robot starts again further back.
const double kPhase2Start = 109.237;
const double kPhase2Origin = 112.47;
const double kPhase2Eye[3] = {0.0, 4.08, -5.4};
const double kPhase2LookAtX = 0.423077;
// Phase 3: from 112.47 s the camera travels 12 units ahead of the robot.
const double kPhase3Start = 112.47;
const double kPhase3Origin = 115.5;
const double kPhase3EyeX = 2.69;
const double kPhase3EyeY = 4.19;
const double kPhase3EyeDepthOffset = 60.0;
const double kPhase3LookAtX = 0.423;
const double kPhase3LookAtY = 1.2;
const double kUp[3] = {0.0, 1.0, 0.0};

// The stride: w = sin(3t), period 2 pi / 3 s.
const double kStrideRate = 3.0;
// Knees bend by min(1, 2 + 2w) and min(1, 2 - 2w): fully bent for two thirds
// of a stride, straight when the leg is at its extreme.
const double kKneeMax = 1.0;
const double kKneeBase = 2.0;
const double kKneeGain = 2.0;
const double kElbowBend = -1.47;

// Body placement: lifted by 1.2 plus a bob of |sin(3t) / 2|, turned by
// R(0, 4.68, 4.67) to stand up facing +z.
const double kBodyX = 0.423077;
const double kBodyBaseHeight = 1.2;
const double kBobDivisor = 2.0;
const double kRobotTurnY = 4.68;
const double kRobotTurnZ = 4.67;

void rotationAboutY(double angle, Matrix* out) { out->rotate(0, angle, 0); }

}  // namespace

RobotRunning::RobotRunning(int width, int height, lb_engine::Config* config) {
  startTime = kStartTime;
  endTime = kEndTime;
  floor = requireRobotModel(config, "robotfloor", "RobotRunning");
  floorTexture = config->getTexture("robotfloor");
  tunnel = requireRobotModel(config, "robottunel", "RobotRunning");
  tunnelTexture = config->getTexture("robottunel");
  partMesh = requireRobotModel(config, "cubel", "RobotRunning");

  const std::string path = config->getFile("robothier");
  robot = parsehierfile(path, partMesh);
  center = requireRobotNode(robot, path, "center");
  leftLeg = requireRobotNode(robot, path, "leftleg");
  leftKnee = requireRobotNode(robot, path, "leftknee");
  rightShoulder = requireRobotNode(robot, path, "rightshoulder");
  rightLeg = requireRobotNode(robot, path, "rightleg");
  rightKnee = requireRobotNode(robot, path, "rightknee");
  leftShoulder = requireRobotNode(robot, path, "leftshoulder");
  leftElbow = requireRobotNode(robot, path, "leftelbow");
  rightElbow = requireRobotNode(robot, path, "rightelbow");

  program = config->getShader("hemisphere");
  cubeTexture = config->getTexture("cube");
  projection = robotProjection(width, height);
}

RobotRunning::Phase RobotRunning::phaseAt(double t) {
  Phase p;
  if (t < kPhase2Start) {
    p.number = 1;
    p.s = kRunSpeed * (t - kStartTime);
    std::copy(kPhase1Eye, kPhase1Eye + 3, p.eye);
    std::copy(kPhase1LookAt, kPhase1LookAt + 3, p.lookAt);
  } else if (t < kPhase3Start) {
    p.number = 2;
    p.s = kRunSpeed * (t - kPhase2Origin);
    std::copy(kPhase2Eye, kPhase2Eye + 3, p.eye);
    p.lookAt[0] = kPhase2LookAtX;
    p.lookAt[1] = bodyHeight(t);
    p.lookAt[2] = p.s - kBodyDepthOffset;
  } else {
    p.number = 3;
    p.s = kRunSpeed * (t - kPhase3Origin);
    p.eye[0] = kPhase3EyeX;
    p.eye[1] = kPhase3EyeY;
    p.eye[2] = p.s - kPhase3EyeDepthOffset;
    p.lookAt[0] = kPhase3LookAtX;
    p.lookAt[1] = kPhase3LookAtY;
    p.lookAt[2] = p.s - kBodyDepthOffset;
  }
  return p;
}

RobotRunning::Pose RobotRunning::poseAt(double t) {
  const double w = std::sin(kStrideRate * t);
  Pose pose;
  pose.leftLeg = w;
  pose.leftKnee = std::min(kKneeMax, kKneeBase + kKneeGain * w);
  pose.rightShoulder = w;
  pose.rightLeg = -w;
  pose.rightKnee = std::min(kKneeMax, kKneeBase - kKneeGain * w);
  pose.leftShoulder = -w;
  pose.leftElbow = kElbowBend;
  pose.rightElbow = kElbowBend;
  return pose;
}

double RobotRunning::bodyHeight(double t) {
  return kBodyBaseHeight + std::abs(std::sin(kStrideRate * t) / kBobDivisor);
}

void RobotRunning::show(double t) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  const Phase phase = phaseAt(t);
  Matrix view;
  view.lookAt(phase.eye, phase.lookAt, kUp);
  program->use();
  drawRobotCorridor(program, view, projection, floor, floorTexture, tunnel, tunnelTexture);

  const Pose pose = poseAt(t);
  Matrix r;
  rotationAboutY(pose.leftLeg, &r);
  leftLeg->updateMatrix(r, false);
  rotationAboutY(pose.leftKnee, &r);
  leftKnee->updateMatrix(r, false);
  rotationAboutY(pose.rightShoulder, &r);
  rightShoulder->updateMatrix(r, false);
  rotationAboutY(pose.rightLeg, &r);
  rightLeg->updateMatrix(r, false);
  rotationAboutY(pose.rightKnee, &r);
  rightKnee->updateMatrix(r, false);
  rotationAboutY(pose.leftShoulder, &r);
  leftShoulder->updateMatrix(r, false);
  rotationAboutY(pose.leftElbow, &r);
  leftElbow->updateMatrix(r, false);
  rotationAboutY(pose.rightElbow, &r);
  rightElbow->updateMatrix(r, false);

  Matrix turn;
  turn.rotate(0, kRobotTurnY, kRobotTurnZ);
  Matrix place;
  place.translate(kBodyX, bodyHeight(t), phase.s - kBodyDepthOffset);
  program->addTexture("img", cubeTexture);
  hierdraw(center, (turn * place) * view, program, projection);
}
