// Down a turning tunnel while tumbling cubes fly away into it.
// On screen from 21.067 s to 33.9 s of the demo clock.

#include "BouncingCubes.h"

#include "Config.h"
#include "Gl.h"
#include "Mesh3D.h"
#include "Rand48.h"
#include "RenderBuffer.h"
#include "ShaderProgram.h"

#include <cstdlib>

static const double kStartTime = 21.067;
static const double kEndTime = 33.9;

static const double kFieldOfView = 35;  // degrees, vertical
static const double kNearPlane = 0.1;
static const double kFarPlane = 1500;

// The tunnel mesh runs along its local y; this tilt (radians about x) turns it
// down the view axis, and the whole tunnel turns by t / kTunnelSpinPeriod
// radians about z (t the demo clock, not the scene time).
static const double kTunnelTilt = 4.711;
static const double kTunnelSpinPeriod = 15;
static const int kTunnelSegments = 5;
static const double kTunnelSpacing = 28;  // length of one segment along z
static const double kTunnelSpeed = 1;     // units per second towards the viewer

// Cube offsets from the axis: kCubeAxisGap + kCubeAxisRange * r in x and in y,
// each with its own sign draw; start depth kCubeDepthRange * r.
static const double kCubeAxisGap = 0.25;
static const double kCubeAxisRange = 2.2;
static const double kCubeDepthRange = 34;
static const double kCubeSpeed = 3;  // units per second away from the viewer

static const int kColourTargets = 1;  // "default" writes one colour output

// +1 when the draw is above one half, else -1 (so exactly 0.5 is negative).
static double drawSign() { return drand48() - 0.5 > 0 ? 1.0 : -1.0; }

BouncingCubes::BouncingCubes(int width, int height, lb_engine::Config* config)
    : sceneProgram(nullptr),
      postProgram(nullptr),
      tunnelMesh(nullptr),
      cubeMesh(nullptr),
      tunnelTexture(0),
      cubeTexture(0),
      cubeX(),
      cubeY(),
      cubeZ(),
      cubeAngle(),
      renderBuffer(nullptr) {
  startTime = kStartTime;
  endTime = kEndTime;
  projection.perspective(kFieldOfView, static_cast<double>(width) / height, kNearPlane, kFarPlane);
  cubeMesh = new lb_engine::Mesh3D("data/cube.obj");
  tunnelMesh = new lb_engine::Mesh3D("data/tunnel.obj");
  tunnelTexture = config->getTexture("circuit");
  cubeTexture = config->getTexture("cube");
  sceneProgram = config->getShader("default");
  postProgram = config->getShader("dof");
  // Six draws per cube in this order; all 120 cubes, although 50 are shown.
  for (int i = 0; i < kCubesMade; ++i) {
    const double signX = drawSign();
    cubeX[i] = static_cast<float>((kCubeAxisGap + kCubeAxisRange * drand48()) * signX);
    const double signY = drawSign();
    cubeY[i] = static_cast<float>((kCubeAxisGap + kCubeAxisRange * drand48()) * signY);
    cubeZ[i] = static_cast<float>(kCubeDepthRange * drand48());
    cubeAngle[i] = static_cast<float>(drand48());
  }
  renderBuffer = new lb_engine::RenderBuffer(width, height, 0, kColourTargets, true);
  renderBuffer->addShader(postProgram);
}

void BouncingCubes::show(double t) {
  const double tau = t - startTime;
  renderBuffer->firstPass();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  lb_engine::Matrix rotation;
  rotation.rotate(kTunnelTilt, 0, t / kTunnelSpinPeriod);
  sceneProgram->use();
  sceneProgram->addTexture("img", tunnelTexture);
  lb_engine::Matrix place;
  for (int k = 0; k < kTunnelSegments; ++k) {
    place.translate(0, 0, kTunnelSpeed * tau - kTunnelSpacing * k);
    sceneProgram->setParam("pmatrix", rotation * place * projection);
    tunnelMesh->draw();
  }

  sceneProgram->addTexture("img", cubeTexture);  // unit 1
  for (int i = 0; i < kCubesDrawn; ++i) {
    place.translate(cubeX[i], cubeY[i], cubeZ[i] - kCubeSpeed * tau);
    rotation.rotate(cubeAngle[i] - tau, 0, 0);
    sceneProgram->setParam("pmatrix", rotation * place * projection);
    cubeMesh->draw();
  }

  renderBuffer->secondPass();
  renderBuffer->draw();
  glEnable(GL_DEPTH_TEST);
}
