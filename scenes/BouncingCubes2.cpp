// A sideways view through the tunnel as cubes drift and bob across it.
// On screen from 33.9 s to 42.067 s of the demo clock.

#include "BouncingCubes2.h"

#include "Config.h"
#include "Gl.h"
#include "Mesh3D.h"
#include "Rand48.h"
#include "ShaderProgram.h"

#include <cmath>
#include <cstdlib>

static const double kStartTime = 33.9;
static const double kEndTime = 42.067;

static const double kFieldOfView = 35;  // degrees, vertical
static const double kNearPlane = 0.1;
static const double kFarPlane = 1500;

// The tunnel is turned by kTunnelTurn about x and about y, so its length runs
// along world +x, and sits kTunnelDepth down the view axis; it travels along -x
// at one unit per second from x = kTunnelStartX.
static const double kTunnelTurn = 4.711;
static const double kTunnelStartX = -3.51;
static const double kTunnelDepth = -3;
static const double kTunnelSpeed = 1;

// Per cube: depth kDepthBase - kDepthRange * r, start x -kStartXRange * r,
// bob phase kPhaseRange * r (6.28 exactly, not 2 pi), spin offset r.
static const double kDepthBase = -2;
static const double kDepthRange = 4;
static const double kStartXRange = 25;
static const double kPhaseRange = 6.28;

static const double kCubeSpeed = 1;   // units per second along +x
static const double kBobHalf = 0.5;   // bob height = sin(u + phase) * kBobHalf
static const double kCubeYaw = 0.3;   // fixed turn about y, radians

BouncingCubes2::BouncingCubes2(int width, int height, lb_engine::Config* config)
    : program(nullptr),
      tunnel(nullptr),
      cube(nullptr),
      tunnelTexture(0),
      cubeTexture(0),
      startX(),
      bobPhase(),
      depth(),
      spinOffset() {
  startTime = kStartTime;
  endTime = kEndTime;
  projection.perspective(kFieldOfView, static_cast<double>(width) / height, kNearPlane, kFarPlane);
  cube = new lb_engine::Mesh3D("data/cube.obj");
  tunnel = new lb_engine::Mesh3D("data/tunnel.obj");
  tunnelTexture = config->getTexture("circuit");
  cubeTexture = config->getTexture("cube");
  program = config->getShader("default");
  // Four draws per cube, in the order depth, start x, phase, spin.
  for (int i = 0; i < kCubeCount; ++i) {
    depth[i] = static_cast<float>(kDepthBase - kDepthRange * drand48());
    startX[i] = static_cast<float>(-kStartXRange * drand48());
    bobPhase[i] = static_cast<float>(kPhaseRange * drand48());
    spinOffset[i] = static_cast<float>(drand48());
  }
}

void BouncingCubes2::show(double t) {
  const double u = t - startTime;
  // Clears with whatever colour is current: the demo's initial transparent black,
  // since no earlier scene changes it.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  lb_engine::Matrix rotation;
  rotation.rotate(kTunnelTurn, kTunnelTurn, 0);
  lb_engine::Matrix place;
  place.translate(kTunnelStartX - kTunnelSpeed * u, 0, kTunnelDepth);
  program->use();
  program->addTexture("img", tunnelTexture);
  program->setParam("pmatrix", rotation * place * projection);
  tunnel->draw();

  program->addTexture("img", cubeTexture);  // unit 1 for every cube
  for (int i = 0; i < kCubeCount; ++i) {
    const float bob = static_cast<float>(std::sin(u + bobPhase[i]) * kBobHalf);
    place.translate(startX[i] + kCubeSpeed * u, bob, depth[i]);
    // The z angle is the negated sum of the clock and the start time (not -u):
    // it turns at -1 rad/s like -u but carries a fixed offset.
    rotation.rotate(spinOffset[i] + u, kCubeYaw, -t - kStartTime);
    program->setParam("pmatrix", rotation * place * projection);
    cube->draw();
  }
}
