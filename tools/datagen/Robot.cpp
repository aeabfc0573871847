#include "Robot.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

namespace lb_datagen {

bool parseRobotParts(const std::string& text, const std::string& source, std::vector<RobotPart>* parts,
                     std::string* error) {
  parts->clear();
  std::map<std::string, size_t> index;
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  auto fail = [&](const std::string& why) {
    *error = source + ":" + std::to_string(lineNo) + ": " + why;
    return false;
  };
  while (std::getline(in, line)) {
    ++lineNo;
    const size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#') continue;
    std::istringstream fields(line);
    RobotPart p;
    std::string parent;
    if (!(fields >> p.name >> parent >> p.offset.x >> p.offset.y >> p.offset.z))
      return fail("expected 'name parent dx dy dz'");
    std::string extra;
    if (fields >> extra) return fail("unexpected text after the offset: " + extra);
    if (index.count(p.name)) return fail("part '" + p.name + "' is defined twice");
    if (parent == "-") {
      if (!parts->empty()) return fail("only the first part may be the root");
    } else {
      if (parts->empty()) return fail("the first part must be the root (parent '-')");
      if (!index.count(parent)) return fail("parent '" + parent + "' is not defined above");
      p.parent = parent;
    }
    p.offset = p.offset * kRobotCell;
    index[p.name] = parts->size();
    parts->push_back(p);
    if (parts->size() > static_cast<size_t>(kRobotMaxParts))
      return fail("more than " + std::to_string(kRobotMaxParts) + " parts");
  }
  if (parts->empty()) {
    *error = source + ": no parts";
    return false;
  }
  return true;
}

namespace {
std::string num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4f", v);
  std::string s(buf);
  if (s == "-0.0000") s = "0.0000";
  return s;
}

void writeNode(const std::vector<RobotPart>& parts, size_t i, int depth, std::string* out) {
  const RobotPart& p = parts[i];
  *out += std::string(static_cast<size_t>(depth), ' ');
  *out += p.name;
  // Rows of a pure translation.
  *out += " 1 0 0 " + num(p.offset.x) + " 0 1 0 " + num(p.offset.y) + " 0 0 1 " + num(p.offset.z) +
          " 0 0 0 1\n";
  for (size_t j = 0; j < parts.size(); ++j)
    if (parts[j].parent == p.name) writeNode(parts, j, depth + 1, out);
}
}  // namespace

std::string robotHierarchy(const std::vector<RobotPart>& parts) {
  std::string out;
  if (!parts.empty()) writeNode(parts, 0, 0, &out);
  return out;
}

std::vector<Vec3> robotRestPositions(const std::vector<RobotPart>& parts) {
  std::vector<Vec3> pos(parts.size());
  std::map<std::string, size_t> index;
  for (size_t i = 0; i < parts.size(); ++i) {
    index[parts[i].name] = i;
    pos[i] = parts[i].offset;
    if (!parts[i].parent.empty()) pos[i] = pos[i] + pos[index[parts[i].parent]];
  }
  return pos;
}

}  // namespace lb_datagen
