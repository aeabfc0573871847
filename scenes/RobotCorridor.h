#pragma once
// The set-up shared by the four robot scenes: their projection, the corridor of
// four floor-and-tunnel segments, and checked look-ups of robot parts.

#include "Matrix.h"

#include <string>

namespace lb_engine {
class Config;
class Hierarchy3D;
class Mesh3D;
class Node;
class ShaderProgram;
}  // namespace lb_engine

// The robot's hierarchy file keeps one random value per part for at most this
// many parts (arrival times, drift pairs).
constexpr int kRobotMaxParts = 58;

// perspective(35 degrees, width / height, 0.1, 1500).
lb_engine::Matrix robotProjection(int width, int height);

// Draws the four corridor segments under the view `view`; floor then tunnel per
// segment, each binding its texture to "img" on the next texture unit (units 0
// to 7 right after use()).
void drawRobotCorridor(lb_engine::ShaderProgram* program, const lb_engine::Matrix& view,
                       const lb_engine::Matrix& projection, lb_engine::Mesh3D* floor,
                       unsigned int floorTexture, lb_engine::Mesh3D* tunnel,
                       unsigned int tunnelTexture);

// Binds `texture` to "img" on the program's next texture unit, as every part
// draw does, but starts again from unit 0 when the GL has no unit left (only a
// robot of more than 58 parts gets that far).
void bindPartTexture(lb_engine::ShaderProgram* program, unsigned int texture);

// The catalogue mesh under `key`; ends the program with a message naming the
// scene when the catalogue has none (a null mesh cannot be drawn).
lb_engine::Mesh3D* requireRobotModel(lb_engine::Config* config, const char* key, const char* scene);

// The node `name` of a robot loaded from `path`; ends the program with
// `path: no "name" node` on stderr when the file did not define it.
lb_engine::Node* requireRobotNode(const lb_engine::Hierarchy3D* robot, const std::string& path,
                                  const char* name);

// Says on stderr when a robot has more parts than the per-part tables hold and
// what the extra parts get instead (`what`).
void warnRobotPartCount(const lb_engine::Hierarchy3D* robot, const std::string& path,
                        const char* scene, const char* what);
