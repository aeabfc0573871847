// Opening title: the group's name stands still while the credits slide off to
// the left in surges. On screen from 0.0 s to 4.817 s of the demo clock.

#include "GroupTitle.h"

#include "Config.h"
#include "Gl.h"
#include "Mesh3D.h"
#include "RenderBuffer.h"
#include "ShaderProgram.h"

#include <cmath>

static const double kStartTime = 0.0;
static const double kEndTime = 4.817;

static const double kFieldOfView = 35;  // degrees, vertical
static const double kNearPlane = 0.1;
static const double kFarPlane = 1500;

// Both text meshes are turned by this angle (radians) about x, which stands
// their letters up in front of the eye, and pushed this far down -z.
static const double kTextTilt = 1.51;
static const double kTextDepth = -13.33;

// The credits' x offset is -kCreditsSlide * (kSurgeRate * t + sin(kSurgeRate * t)):
// a speed of kCreditsSlide * kSurgeRate * (1 + cos 4t) units per second, which
// drops to zero whenever 4t is an odd multiple of pi.
static const double kCreditsSlide = 5.1;
static const double kSurgeRate = 4;

static const int kColourTargets = 2;  // "gloom" writes two colour outputs

GroupTitle::GroupTitle(int width, int height, lb_engine::Config* config)
    : sceneProgram(nullptr),
      postProgram(nullptr),
      titleMesh(nullptr),
      creatorsMesh(nullptr),
      backgroundTexture(0),
      renderBuffer(nullptr) {
  startTime = kStartTime;
  endTime = kEndTime;
  sceneProgram = config->getShader("gloom");
  postProgram = config->getShader("postgloom");
  titleMesh = new lb_engine::Mesh3D("data/demogroup.obj");
  creatorsMesh = config->getModel("creators");
  backgroundTexture = config->getTexture("background");
  projection.perspective(kFieldOfView, static_cast<double>(width) / height, kNearPlane, kFarPlane);
  renderBuffer = new lb_engine::RenderBuffer(width, height, 0, kColourTargets, true);
  renderBuffer->addShader(postProgram);
}

void GroupTitle::show(double t) {
  renderBuffer->firstPass();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  sceneProgram->use();

  lb_engine::Matrix tilt;
  tilt.rotate(kTextTilt, 0, 0);
  lb_engine::Matrix place;
  place.translate(0, 0, kTextDepth);
  sceneProgram->setParam("pmatrix", tilt * place * projection);
  sceneProgram->addTexture("img", backgroundTexture);
  titleMesh->draw();

  const double surge = kSurgeRate * t;
  place.translate(-kCreditsSlide * (surge + std::sin(surge)), 0, kTextDepth);
  sceneProgram->setParam("pmatrix", tilt * place * projection);
  // An absent "creators" mesh is a null catalogue entry: skip it rather than crash.
  if (creatorsMesh != nullptr) creatorsMesh->draw();

  renderBuffer->secondPass();
  renderBuffer->draw();
  glEnable(GL_DEPTH_TEST);
}
