// The robot walks, falls apart, and the title card closes the show.
// On screen from 121.639 s to 128.0 s of the demo clock.

#include "FallingApart.h"

#include "Config.h"
#include "Gl.h"
#include "Hierarchy3D.h"
#include "HierarchyFile.h"
#include "Mesh3D.h"
#include "Rand48.h"
#include "ShaderProgram.h"
#include "Sprite.h"

#include <cmath>
#include <cstdlib>
#include <string>

using lb_engine::Matrix;

namespace {

const double kStartTime = 121.639;
const double kEndTime = 128.0;
const double kFallStart = 125.0;  // the robot comes apart
const double kTitleAfter = 126.573;

// Fixed camera looking into the corridor from the side.
const double kEye[3] = {6.374234375050601, 0.94, -11.832938667839006};
const double kLookAt[3] = {0.423, 0.5, -22.0};
const double kUp[3] = {0.0, 1.0, 0.0};

// Walking: the legs and arms swing on |sin(2t)| (halved or thirded), the body
// advances along +z at 1 unit per second from z = -27.4 and rocks about x by up to
// -0.1 rad.
const double kWalkRate = 2.0;
const double kForwardSwingDivisor = 2.0;
const double kBackSwingDivisor = 3.0;
const double kWalkX = -0.166923;
const double kWalkY = 1.2;
const double kWalkStartBehind = 27.4;  // z = (t - start) - 27.4
const double kRockDivisor = 10.0;
const double kRobotTurnY = 4.68;
const double kRobotTurnZ = 4.67;

// The scattered copy is baked where the walking robot stands at 125 s.
const double kScatterTiltX = -0.097242;
const double kScatterX = -0.166923;
const double kScatterY = 1.2;
const double kScatterZ = -24.043;

// Falling: y drops by 4.9 d^2 (half of 9.8 units/s^2) down to the floor
// height, where a cube's centre rests 0.43 above the corridor floor at -3.
const double kHalfGravity = 4.9;
const double kRestHeight = -2.57;
const double kDriftCentre = 0.5;

}  // namespace

FallingApart::FallingApart(int width, int height, lb_engine::Config* config) {
  startTime = kStartTime;
  endTime = kEndTime;
  floorMesh = requireRobotModel(config, "robotfloor", "FallingApart");
  floorTexture = config->getTexture("robotfloor");
  tunnelMesh = requireRobotModel(config, "robottunel", "FallingApart");
  tunnelTexture = config->getTexture("robottunel");
  cubeMesh = requireRobotModel(config, "cubel", "FallingApart");

  const std::string path = config->getFile("robothier");
  walkingRobot = parsehierfile(path, cubeMesh);
  scatteredRobot = parsehierfile(path, cubeMesh);
  walkingCenter = requireRobotNode(walkingRobot, path, "center");
  leftLeg = requireRobotNode(walkingRobot, path, "leftleg");
  rightLeg = requireRobotNode(walkingRobot, path, "rightleg");
  rightKnee = requireRobotNode(walkingRobot, path, "rightknee");
  leftShoulder = requireRobotNode(walkingRobot, path, "leftshoulder");
  rightShoulder = requireRobotNode(walkingRobot, path, "rightshoulder");

  program = config->getShader("hemisphere");
  titleProgram = config->getShader("layer");
  cubeTexture = config->getTexture("cube");
  projection = robotProjection(width, height);

  Matrix tilt;
  tilt.rotate(kScatterTiltX, kRobotTurnY, kRobotTurnZ);
  Matrix place;
  place.translate(kScatterX, kScatterY, kScatterZ);
  hiertoindividual(requireRobotNode(scatteredRobot, path, "center"), tilt * place);
  warnRobotPartCount(scatteredRobot, path, "FallingApart", "fall without drifting");

  // Exactly two draws per table entry whatever the robot's size, dx first.
  for (float* pair : drift) {
    pair[0] = static_cast<float>(drand48() - kDriftCentre);
    pair[1] = static_cast<float>(drand48() - kDriftCentre);
  }
  titleSprite = new lb_engine::Sprite();
  titleTexture = config->getTexture("title");
}

bool FallingApart::walking(double t) { return t < kFallStart; }

bool FallingApart::titleShown(double t) { return t > kTitleAfter; }

Matrix FallingApart::fallenPart(const Matrix& baked, double t, float dx, float dz) {
  // Element arithmetic in double on the float elements, stored back as float;
  // the baked matrix is untouched, so the motion depends on d alone.
  const double d = t - kFallStart;
  Matrix w = baked;
  w.values[12] = static_cast<float>(w.values[12] + dx * d);
  w.values[14] = static_cast<float>(w.values[14] + dz * d);
  const double y = w.values[13] - kHalfGravity * (d * d);
  w.values[13] = static_cast<float>(y > kRestHeight ? y : kRestHeight);
  return w;
}

Matrix FallingApart::partMatrix(const Matrix& baked, size_t k, double t) const {
  if (k < static_cast<size_t>(kRobotMaxParts)) return fallenPart(baked, t, drift[k][0], drift[k][1]);
  return fallenPart(baked, t, 0.0f, 0.0f);
}

void FallingApart::show(double t) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  Matrix view;
  view.lookAt(kEye, kLookAt, kUp);
  program->use();
  drawRobotCorridor(program, view, projection, floorMesh, floorTexture, tunnelMesh, tunnelTexture);
  program->addTexture("img", cubeTexture);

  if (walking(t)) {
    // The swing follows the absolute clock: it does not restart with the scene.
    const double swing = std::sin(kWalkRate * t);
    Matrix forward;
    forward.rotate(0, std::abs(swing / kForwardSwingDivisor), 0);
    Matrix back;
    back.rotate(0, -std::abs(swing / kBackSwingDivisor), 0);
    leftLeg->updateMatrix(forward, false);
    rightLeg->updateMatrix(back, false);
    rightKnee->updateMatrix(forward, false);
    leftShoulder->updateMatrix(back, false);
    rightShoulder->updateMatrix(forward, false);

    Matrix place;
    place.translate(kWalkX, kWalkY, (t - kStartTime) - kWalkStartBehind);
    Matrix turn;
    turn.rotate(-std::abs(swing) / kRockDivisor, kRobotTurnY, kRobotTurnZ);
    hierdraw(walkingCenter, (turn * place) * view, program, projection);
    return;
  }

  size_t k = 0;
  for (const lb_engine::Node* part : scatteredRobot->inOrder()) {
    const Matrix world = partMatrix(part->getMatrix(), k, t);
    const Matrix modelView = world * view;
    program->setParam("pmatrix", modelView * projection);
    program->setParam("nmatrix", modelView);
    bindPartTexture(program, cubeTexture);
    cubeMesh->draw();
    ++k;
  }
  if (titleShown(t)) {
    titleProgram->use();
    titleProgram->addTexture("img", titleTexture);
    titleSprite->draw();
  }
}
