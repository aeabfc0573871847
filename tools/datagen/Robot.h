#pragma once
// The robot: a parts list (name, parent, offset in cells) turned into the
// hierarchy text the show loads, one node per line, depth by leading spaces,
// name and the 4x4 rest transform written row by row.

#include "MeshBuilder.h"

#include <string>
#include <vector>

namespace lb_datagen {

struct RobotPart {
  std::string name;
  std::string parent;  // empty for the root
  Vec3 offset;         // units, relative to the parent
};

constexpr double kRobotCell = 0.9;
constexpr int kRobotMaxParts = 58;

// Parses the parts text. Returns false with a message naming the line on a
// malformed line, an unknown or later-defined parent, a repeated name, more than
// one root or more than kRobotMaxParts parts.
bool parseRobotParts(const std::string& text, const std::string& source, std::vector<RobotPart>* parts,
                     std::string* error);

// Hierarchy text in depth-first order, children in the order they were listed.
std::string robotHierarchy(const std::vector<RobotPart>& parts);

// Every part's position in the robot's frame (rest pose), in list order.
std::vector<Vec3> robotRestPositions(const std::vector<RobotPart>& parts);

}  // namespace lb_datagen
