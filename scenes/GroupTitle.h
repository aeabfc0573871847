#pragma once
// Opening title: the group's name with the credits sliding past.
// On screen from 0.0 s to 4.817 s of the demo clock.

#include "Demo.h"
#include "Matrix.h"

namespace lb_engine {
class Config;
class Mesh3D;
class RenderBuffer;
class ShaderProgram;
}  // namespace lb_engine

class GroupTitle : public lb_engine::Scene {
 public:
  lb_engine::Matrix projection;
  lb_engine::ShaderProgram* sceneProgram;  // "gloom": writes two colour outputs
  lb_engine::ShaderProgram* postProgram;   // "postgloom": composes them on screen
  lb_engine::Mesh3D* titleMesh;            // this scene's own copy of data/demogroup.obj
  lb_engine::Mesh3D* creatorsMesh;         // catalogue mesh "creators"
  unsigned int backgroundTexture;
  lb_engine::RenderBuffer* renderBuffer;

  GroupTitle(int width, int height, lb_engine::Config* config);
  void show(double t) override;
};
