#include "RobotCorridor.h"

#include "Config.h"
#include "FatalError.h"
#include "Gl.h"
#include "Hierarchy3D.h"
#include "Mesh3D.h"
#include "ShaderProgram.h"

#include <cstdio>
#include <cstdlib>

using lb_engine::Matrix;

namespace {

const double kFieldOfView = 35.0;  // degrees, vertical
const double kNear = 0.1;
const double kFar = 1500.0;

// Segment centres along x before the turn; the turn of 1.553846 rad (slightly
// less than pi/2) sends mesh-local +x to world -z, so the segments line up along
// -z at depths 57, 151, 251 and 351, dropped to the floor height -3.
const double kSegmentX[4] = {57.0, 151.0, 251.0, 351.0};
const double kSegmentY = -3.0;
const double kSegmentTurn = 1.553846;

}  // namespace

Matrix robotProjection(int width, int height) {
  Matrix projection;
  projection.perspective(kFieldOfView, static_cast<double>(width) / static_cast<double>(height),
                         kNear, kFar);
  return projection;
}

void drawRobotCorridor(lb_engine::ShaderProgram* program, const Matrix& view,
                       const Matrix& projection, lb_engine::Mesh3D* floor, unsigned int floorTexture,
                       lb_engine::Mesh3D* tunnel, unsigned int tunnelTexture) {
  Matrix turn;
  turn.rotate(0, kSegmentTurn, 0);
  for (double x : kSegmentX) {
    Matrix place;
    place.translate(x, kSegmentY, 0);
    const Matrix modelView = (place * turn) * view;
    const Matrix full = modelView * projection;
    program->addTexture("img", floorTexture);
    program->setParam("pmatrix", full);
    program->setParam("nmatrix", modelView);
    floor->draw();
    program->addTexture("img", tunnelTexture);
    program->setParam("pmatrix", full);
    program->setParam("nmatrix", modelView);
    tunnel->draw();
  }
}

void bindPartTexture(lb_engine::ShaderProgram* program, unsigned int texture) {
  static const int maxUnits = [] {
    GLint units = 0;
    glGetIntegerv(GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS, &units);
    return static_cast<int>(units);
  }();
  // use() keeps the program current and restarts the unit counter at 0.
  if (program->textureUnit >= maxUnits) program->use();
  program->addTexture("img", texture);
}

lb_engine::Mesh3D* requireRobotModel(lb_engine::Config* config, const char* key, const char* scene) {
  lb_engine::Mesh3D* mesh = config->getModel(key);
  if (mesh == nullptr) {
    lb_engine::fatalError(std::string(scene) + ": the catalogue has no mesh \"" + key + "\"");
  }
  return mesh;
}

lb_engine::Node* requireRobotNode(const lb_engine::Hierarchy3D* robot, const std::string& path,
                                  const char* name) {
  lb_engine::Node* node = robot->getNode(name);
  if (node == nullptr) {
    lb_engine::fatalError(path + ": no \"" + name + "\" node");
  }
  return node;
}

void warnRobotPartCount(const lb_engine::Hierarchy3D* robot, const std::string& path,
                        const char* scene, const char* what) {
  const size_t parts = robot->nodes.size();
  if (parts <= static_cast<size_t>(kRobotMaxParts)) return;
  fprintf(stderr, "%s: %s: the robot has %zu parts, more than %d; the parts beyond them %s\n",
          path.c_str(), scene, parts, kRobotMaxParts, what);
}
