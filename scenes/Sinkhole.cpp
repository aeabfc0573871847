// Cubes glide in along four curved arms and dive into a funnel; the camera sinks and fades.
// On screen from 42.067 s to 61.692 s of the demo clock.
#include "Sinkhole.h"

#include "Config.h"
#include "Gl.h"
#include "Mesh3D.h"
#include "Path.h"
#include "Rand48.h"
#include "RenderBuffer.h"
#include "ShaderProgram.h"

#include <cmath>
#include <cstdlib>

namespace {

// Seconds of the demo clock.
const double kStartTime = 42.067;
const double kEndTime = 61.692;

// Perspective: vertical field of view (degrees), near and far planes.
const double kFieldOfView = 90;
const double kNear = 0.1;
const double kFar = 1500;

// The camera hangs above the hole looking almost straight down.
const double kEyeHeight = 8;
const double kEyeStart[3] = {0, kEyeHeight, 1};
const double kCenter[3] = {0, 0, 0};
const double kUp[3] = {0, 1, 0};

// Launch time of a group: one of kLaunchSlots whole seconds counted from
// kLaunchLead seconds before the scene starts (28.067 s to 37.067 s).
const double kLaunchSlots = 10;
const double kLaunchLead = 14;
// Seconds a cube needs to travel its arm; afterwards it sinks 1 unit per second.
const double kArmTravelTime = 24;

// From here to the end the eye sinks 1 unit per second and "fade" rises 0 to 1.
const double kDescentStart = 56.694;

// The fixed turn (radians) from the arms' z-up frame into the scene's y-up frame;
// deliberately not exactly -pi/2.
const double kArmTurnX = -1.57;
const double kArmTurnY = -1.55;

// Cubic Bezier arms, z-up: control point 0 near the centre of the hole, 3 at the
// far end about 19 units out. Single-precision values used as doubles.
const float kArmControlPoints[Sinkhole::kArmCount][4][3] = {
    {{-0.10901901f, 0.3795682f, 1.4834993f},
     {0.7171066f, -1.0550377f, 6.251735f},
     {-0.13532212f, 17.861162f, 5.2227716f},
     {-0.115614705f, 19.085516f, 5.252368f}},
    {{0.30750436f, 0.3225385f, 1.5506454f},
     {-1.1179188f, -0.23861471f, 6.3600035f},
     {17.801517f, -0.5849689f, 5.1178436f},
     {19.022667f, -0.6785465f, 5.1363664f}},
    {{-0.109033525f, -0.29807135f, 1.91494f},
     {-0.078516714f, 1.0912923f, 6.7672987f},
     {0.13440543f, -17.823845f, 5.433034f},
     {0.090759635f, -19.047754f, 5.4542036f}},
    {{-0.30071175f, 0.1580326f, 1.4463558f},
     {1.0878019f, 0.10064912f, 6.2987146f},
     {-17.827915f, 0.2536138f, 4.96445f},
     {-19.05075f, 0.3209237f, 4.98562f}},
};

}  // namespace

Sinkhole::Sinkhole(int width, int height, lb_engine::Config* config)
    : program(nullptr),
      postProgram(nullptr),
      sinkholeMesh(nullptr),
      cubeMesh(nullptr),
      cubeTexture(0),
      sinkholeTexture(0),
      renderBuffer(nullptr) {
  for (int c = 0; c < 3; ++c) {
    eye[c] = kEyeStart[c];
    center[c] = kCenter[c];
    up[c] = kUp[c];
  }
  startTime = kStartTime;
  endTime = kEndTime;

  sinkholeMesh = new lb_engine::Mesh3D("data/sinkhole.obj");
  cubeMesh = new lb_engine::Mesh3D("data/cube.obj");
  sinkholeTexture = config->getTexture("sinkhole");
  cubeTexture = config->getTexture("cube");
  program = config->getShader("default");
  postProgram = config->getShader("postprocessing");

  projection.perspective(kFieldOfView, static_cast<double>(width) / height, kNear, kFar);
  view.lookAt(eye, center, up);

  // 30 values of the process-wide drand48 sequence; groups share the 10 slots.
  for (int i = 0; i < kGroupCount; ++i) {
    const int k = static_cast<int>(std::floor(kLaunchSlots * drand48()));
    launchTimes[i] = kLaunchSlots * (k / kLaunchSlots) + (kStartTime - kLaunchLead);
  }

  for (int j = 0; j < kArmCount; ++j) paths[j] = new lb_engine::Path();
  for (int j = 0; j < kArmCount; ++j) {
    for (int p = 0; p < 4; ++p) {
      const float* c = kArmControlPoints[j][p];
      paths[j]->addPoint(Point3D(c[0], c[1], c[2]));
    }
  }

  renderBuffer = new lb_engine::RenderBuffer(width, height, 0, 1, true);
  renderBuffer->addShader(postProgram);
}

void Sinkhole::show(double t) {
  renderBuffer->firstPass();
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  program->use();
  program->addTexture("img", sinkholeTexture);  // unit 0

  // Set from the clock on every frame (not only once the descent starts), so
  // that a frame depends on t alone and frames can be rendered in any order.
  eye[1] = eyeHeightAt(t);
  view.lookAt(eye, center, up);
  program->setParam("pmatrix", view * projection);
  sinkholeMesh->draw();

  program->addTexture("img", cubeTexture);  // unit 1, for every cube
  lb_engine::Matrix turn;
  turn.rotate(kArmTurnX, kArmTurnY, 0);
  for (int i = 0; i < kGroupCount; ++i) {
    const double launch = launchTimes[i];
    if (!(t > launch)) continue;
    lb_engine::Matrix tumble;
    tumble.rotate(launch + t, launch + t / 2, launch);
    for (int j = 0; j < kArmCount; ++j) {
      const Point3D p = cubePosition(t, launch, *paths[j]);
      lb_engine::Matrix place;
      place.translate(p.x, p.y, p.z);
      program->setParam("pmatrix", tumble * place * turn * view * projection);
      cubeMesh->draw();
    }
  }

  renderBuffer->secondPass();
  postProgram->setParam("fade", static_cast<float>(fadeAt(t)));
  renderBuffer->draw();
  glEnable(GL_DEPTH_TEST);
}

double Sinkhole::fadeAt(double t) {
  if (t > kDescentStart) return (t - kDescentStart) / (kEndTime - kDescentStart);
  return 0;
}

double Sinkhole::eyeHeightAt(double t) {
  if (t > kDescentStart) return kEyeHeight - (t - kDescentStart);
  return kEyeHeight;
}

Point3D Sinkhole::cubePosition(double t, double launch, lb_engine::Path& arm) {
  double a = (t - launch) / kArmTravelTime;
  if (a > 1) a = 1;
  Point3D p = arm.bezier(1 - a);
  if (a == 1) p.z = p.z - (t - launch - kArmTravelTime);
  return p;
}
