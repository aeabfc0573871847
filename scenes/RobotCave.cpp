// The robot assembles itself from flying cubes in front of a fixed camera.
// On screen from 91.017 s to 98.0 s of the demo clock.

#include "RobotCave.h"

#include "Config.h"
#include "Gl.h"
#include "Hierarchy3D.h"
#include "HierarchyFile.h"
#include "Mesh3D.h"
#include "Rand48.h"
#include "ShaderProgram.h"

#include <cstdlib>
#include <string>

using lb_engine::Matrix;

namespace {

const double kStartTime = 91.017;
const double kEndTime = 98.0;

// The assembled robot's placement, baked into its parts: turned upright and
// facing +z by R(0, 4.68, 4.68), then moved to (0, 1.1, -20).
const double kRobotTurnY = 4.68;
const double kRobotTurnZ = 4.68;
const double kRobotX = 0.0;
const double kRobotY = 1.1;
const double kRobotZ = -20.0;

// Every cube starts at this point above the eye.
const double kLaunchX = 0.0;
const double kLaunchY = 10.0;
const double kLaunchZ = 0.0;

// A part arrives between 2 and 6 s after the scene's start.
const double kEarliestArrival = 2.0;
const double kArrivalSpread = 4.0;

}  // namespace

RobotCave::RobotCave(int width, int height, lb_engine::Config* config) {
  startTime = kStartTime;
  endTime = kEndTime;
  floor = requireRobotModel(config, "robotfloor", "RobotCave");
  floorTexture = config->getTexture("robotfloor");
  tunnel = requireRobotModel(config, "robottunel", "RobotCave");
  tunnelTexture = config->getTexture("robottunel");
  cube = requireRobotModel(config, "cube", "RobotCave");
  cubeTexture = config->getTexture("cube");

  const std::string path = config->getFile("robothier");
  robot = parsehierfile(path, cube);
  Matrix turn;
  turn.rotate(0, kRobotTurnY, kRobotTurnZ);
  Matrix place;
  place.translate(kRobotX, kRobotY, kRobotZ);
  hiertoindividual(requireRobotNode(robot, path, "center"), turn * place);
  warnRobotPartCount(robot, path, "RobotCave", "arrive 6 s after the scene's start");

  program = config->getShader("hemisphere");
  projection = robotProjection(width, height);
  // Exactly kRobotMaxParts draws whatever the robot's size: the scenes built
  // after this one rely on where the shared drand48 sequence stands.
  for (double& arrival : arrivalTimes) {
    arrival = startTime + kEarliestArrival + kArrivalSpread * drand48();
  }
}

double RobotCave::arrivalTime(size_t k) const {
  if (k < static_cast<size_t>(kRobotMaxParts)) return arrivalTimes[k];
  return startTime + kEarliestArrival + kArrivalSpread;
}

void RobotCave::partPosition(double t, double start, double arrival, const float place[3],
                             double out[3]) {
  if (arrival > t) {
    const double f = (t - start) / (arrival - start);
    out[0] = kLaunchX + (place[0] - kLaunchX) * f;
    out[1] = kLaunchY + (place[1] - kLaunchY) * f;
    out[2] = kLaunchZ + (place[2] - kLaunchZ) * f;
  } else {
    out[0] = place[0];
    out[1] = place[1];
    out[2] = place[2];
  }
}

void RobotCave::show(double t) {
  // The clear colour set after the clear serves the next frame, so this
  // scene's first frame keeps the colour the previous scene left.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glClearColor(0, 0, 0, 1);
  program->use();
  // No camera: the eye sits at the origin looking down -z.
  Matrix identity;
  identity.translate(0, 0, 0);
  drawRobotCorridor(program, identity, projection, floor, floorTexture, tunnel, tunnelTexture);

  // Each part is shown as the plain cube at its baked position: the baked
  // rotation is deliberately not used.
  size_t k = 0;
  for (const lb_engine::Node* part : robot->inOrder()) {
    const Matrix baked = part->getMatrix();
    double position[3];
    partPosition(t, startTime, arrivalTime(k), &baked.values[12], position);
    Matrix model;
    model.translate(position[0], position[1], position[2]);
    program->setParam("pmatrix", model * projection);
    program->setParam("nmatrix", model);
    bindPartTexture(program, cubeTexture);
    cube->draw();
    ++k;
  }
}
