// The camera sinks down a shaft of greetings inside a glass tube, cubes falling past it.
// On screen from 61.692 s to 91.017 s of the demo clock.
#include "Greetings.h"

#include "Config.h"
#include "Gl.h"
#include "Mesh3D.h"
#include "Rand48.h"
#include "ShaderProgram.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Seconds of the demo clock.
const double kStartTime = 61.692;
const double kEndTime = 91.017;

// Perspective: vertical field of view (degrees), near and far planes.
const double kFieldOfView = 55;
const double kNear = 0.1;
const double kFar = 1500;

const float kClearGrey = 0.6f;

// Cube layout: x = sin(kCubeSpreadAngle r2) (1 + r1), likewise z from r4 and r5,
// both in [0, 2); y = kCubeStackHeight r3. The factor is 3.14, not pi.
const double kCubeSpreadAngle = 3.14;
const double kCubeStackHeight = 12;
// Units per second the cubes fall, half a unit faster than the eye sinks.
const double kCubeFallSpeed = 1.5;

// The eye starts at this height and sinks 1 unit per second; every frame it
// shakes sideways by (r - kShakeCentre) / kShakeDivisor, up to +-0.005.
const double kEyeStartHeight = 200;
const double kShakeCentre = 0.5;
const double kShakeDivisor = 100;

// The look-at point circles with radius kCenterRadius around (kCenterX,
// kCenterDepth, 0), once every 2 pi seconds of the demo clock.
const double kCenterRadius = 13;
const double kCenterX = -22;
const double kCenterDepth = -540;
// Looking almost straight down, so the circling centre sets the picture's roll.
const double kUp[3] = {0, -1, 0};

lb_engine::Mesh3D* requireModel(lb_engine::Config* config, const char* key) {
  lb_engine::Mesh3D* mesh = config->getModel(key);
  if (mesh == nullptr) {
    std::printf("Greetings: data/config.txt has no Mesh line for \"%s\"; it is not drawn\n", key);
  }
  return mesh;
}

void drawIfLoaded(lb_engine::Mesh3D* mesh) {
  if (mesh != nullptr) mesh->draw();
}

}  // namespace

Greetings::Greetings(int width, int height, lb_engine::Config* config) {
  startTime = kStartTime;
  endTime = kEndTime;

  cubeMesh = requireModel(config, "cube");
  cubeTexture = config->getTexture("cube");
  groupsMesh = requireModel(config, "groups");
  groupsTexture = config->getTexture("groups");
  glassTubeMesh = requireModel(config, "glasstube");
  glassTubeTexture = config->getTexture("glasstube");
  program = config->getShader("default");
  glassProgram = config->getShader("glass");

  projection.perspective(kFieldOfView, static_cast<double>(width) / height, kNear, kFar);

  for (int i = 0; i < kCubeCount; ++i) {
    const double r1 = drand48();
    const double r2 = drand48();
    const double r3 = drand48();
    const double r4 = drand48();
    const double r5 = drand48();
    cubePositions[i][0] = static_cast<float>(std::sin(kCubeSpreadAngle * r2) * (1 + r1));
    cubePositions[i][1] = static_cast<float>(kCubeStackHeight * r3);
    cubePositions[i][2] = static_cast<float>(std::sin(kCubeSpreadAngle * r5) * (1 + r4));
  }
}

void Greetings::show(double t) {
  const double u = t - kStartTime;

  glClearColor(kClearGrey, kClearGrey, kClearGrey, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  const double shakeX = drand48();
  const double shakeZ = drand48();
  const double eye[3] = {(shakeX - kShakeCentre) / kShakeDivisor, kEyeStartHeight - u,
                         (shakeZ - kShakeCentre) / kShakeDivisor};
  const double center[3] = {kCenterRadius * std::sin(t) + kCenterX, kCenterDepth, kCenterRadius * std::cos(t)};
  lb_engine::Matrix view;
  view.lookAt(eye, center, kUp);
  const lb_engine::Matrix viewProjection = view * projection;

  program->use();
  program->addTexture("img", groupsTexture);  // unit 0
  program->setParam("pmatrix", viewProjection);
  drawIfLoaded(groupsMesh);

  program->addTexture("img", cubeTexture);  // unit 1, for every cube
  for (int i = 0; i < kCubeCount; ++i) {
    lb_engine::Matrix place;
    place.translate(cubePositions[i][0], kEyeStartHeight + cubePositions[i][1] - kCubeFallSpeed * u,
                    cubePositions[i][2]);
    program->setParam("pmatrix", place * viewProjection);
    drawIfLoaded(cubeMesh);
  }

  // Last, so that the blending MyDemo enables lays the glass over everything else.
  glassProgram->use();
  glassProgram->setParam("pmatrix", viewProjection);
  glassProgram->setParam("time", static_cast<float>(u));
  glassProgram->addTexture("glasstex", glassTubeTexture);  // unit 0 again after use()
  drawIfLoaded(glassTubeMesh);
}
