#pragma once
// Cubes glide along four arms and dive into a sinkhole; the camera descends and fades.
// On screen from 42.067 s to 61.692 s of the demo clock.

#include "Demo.h"
#include "Matrix.h"
#include "Point3D.h"

namespace lb_engine {
class Config;
class Mesh3D;
class Path;
class RenderBuffer;
class ShaderProgram;
}  // namespace lb_engine

class Sinkhole : public lb_engine::Scene {
 public:
  static constexpr int kGroupCount = 30;
  static constexpr int kArmCount = 4;

  lb_engine::Matrix projection;
  lb_engine::Matrix view;
  lb_engine::ShaderProgram* program;
  lb_engine::ShaderProgram* postProgram;
  lb_engine::Mesh3D* sinkholeMesh;
  lb_engine::Mesh3D* cubeMesh;
  unsigned int cubeTexture;
  unsigned int sinkholeTexture;
  double eye[3];
  double center[3];
  double up[3];
  double launchTimes[kGroupCount];  // seconds of the demo clock
  lb_engine::Path* paths[kArmCount];
  lb_engine::RenderBuffer* renderBuffer;

  Sinkhole(int width, int height, lb_engine::Config* config);
  void show(double t) override;

  // The parts of a frame that depend on the clock alone, in seconds.
  // Post-processing "fade": 0 until the descent starts, 1 at the scene's end.
  static double fadeAt(double t);
  // The eye's height: constant until the descent starts, then 1 unit per second lower.
  static double eyeHeightAt(double t);
  // Where a cube launched at `launch` is on `arm`, in the arm's z-up frame: it
  // travels from control point 3 to control point 0 in 24 s, then sinks along -z.
  static Point3D cubePosition(double t, double launch, lb_engine::Path& arm);
};
