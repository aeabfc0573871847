// The title hangs still while 28 cubes roll in from the right, tipping over their edges.
// On screen from 4.817 s to 21.067 s of the demo clock.

#include "MarchingCubes.h"

#include "Config.h"
#include "Gl.h"
#include "Mesh3D.h"
#include "Rand48.h"
#include "RenderBuffer.h"
#include "ShaderProgram.h"

#include <cmath>
#include <cstdlib>

static const double kStartTime = 4.817;
static const double kEndTime = 21.067;

static const double kFieldOfView = 35;  // degrees, vertical
static const double kNearPlane = 0.1;
static const double kFarPlane = 150;  // not 1500 as in the neighbouring scenes

static const double kTitleTilt = 1.51;  // radians about x
static const double kTitleX = 0;
static const double kTitleY = 1;
static const double kTitleZ = -13.33;

// Per cube: start x = kStartXBase + kStartXRange * r, depth = kDepthBase - kDepthRange * r.
static const double kStartXBase = 10;
static const double kStartXRange = 10;
static const double kDepthBase = -13;
static const double kDepthRange = 3;

// A cube rolls towards -x at one unit per second and spins 2 rad per second
// about z; its centre rides an arc of radius kArcRadius that repeats every
// 2 * kArcRadius seconds, so it looks like it tips over its edges.
static const double kRollSpeed = 1;
static const double kSpinRate = 2;
static const float kArcRadius = 0.4341f;
static const double kFloorY = -2;  // height of the cube centres at the ends of the arc

static const int kColourTargets = 2;  // "gloom" writes two colour outputs

MarchingCubes::MarchingCubes(int width, int height, lb_engine::Config* config)
    : sceneProgram(nullptr),
      postProgram(nullptr),
      titleMesh(nullptr),
      cubeMesh(nullptr),
      startX(),
      depth(),
      phase(),
      backgroundTexture(0),
      cubeTexture(0),
      renderBuffer(nullptr) {
  startTime = kStartTime;
  endTime = kEndTime;
  sceneProgram = config->getShader("gloom");
  postProgram = config->getShader("postgloom");
  titleMesh = new lb_engine::Mesh3D("data/demogroup.obj");
  cubeMesh = new lb_engine::Mesh3D("data/cube.obj");
  backgroundTexture = config->getTexture("background");
  cubeTexture = config->getTexture("cube");
  projection.perspective(kFieldOfView, static_cast<double>(width) / height, kNearPlane, kFarPlane);
  // Drawn cube by cube (start x, depth, phase), never array by array: every
  // later scene's layout depends on this order of the shared sequence.
  for (int i = 0; i < kCubeCount; ++i) {
    startX[i] = static_cast<float>(kStartXBase + kStartXRange * drand48());
    depth[i] = static_cast<float>(kDepthBase - kDepthRange * drand48());
    phase[i] = static_cast<float>(drand48());
  }
  renderBuffer = new lb_engine::RenderBuffer(width, height, 0, kColourTargets, true);
  renderBuffer->addShader(postProgram);
}

void MarchingCubes::show(double t) {
  renderBuffer->firstPass();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  sceneProgram->use();

  lb_engine::Matrix rotation;
  rotation.rotate(kTitleTilt, 0, 0);
  lb_engine::Matrix place;
  place.translate(kTitleX, kTitleY, kTitleZ);
  sceneProgram->addTexture("img", backgroundTexture);
  sceneProgram->setParam("pmatrix", rotation * place * projection);
  titleMesh->draw();

  // Unit 1 from here on; the background stays bound on unit 0.
  sceneProgram->addTexture("img", cubeTexture);
  const float h = kArcRadius;
  for (int i = 0; i < kCubeCount; ++i) {
    const double s = t + phase[i];
    // u runs from -h up to h once every 2h seconds; s - 2h stays positive while
    // the scene shows, so u never leaves [-h, h) and the root never sees a negative.
    const float u = static_cast<float>(std::fmod(s - 2.0 * h, 2.0 * h) - h);
    const float lift = std::sqrt(h * h - u * u);
    place.translate(startX[i] - kRollSpeed * s, lift + kFloorY, depth[i]);
    rotation.rotate(0, 0, kSpinRate * s);
    sceneProgram->setParam("pmatrix", rotation * place * projection);
    cubeMesh->draw();
  }

  renderBuffer->secondPass();
  renderBuffer->draw();
  glEnable(GL_DEPTH_TEST);
}
