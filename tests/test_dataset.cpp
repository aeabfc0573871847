// The generated data set (build folder's data/): the catalogue and its files,
// the OBJ subset, the sizes the scenes' fixed cameras and placements need, the
// robot, every program building silently, and a generator that repeats itself
// byte for byte.

#include "Config.h"
#include "DataGenerator.h"
#include "DataSetContract.h"
#include "DataSetLocator.h"
#include "Gl.h"
#include "GlContext.h"
#include "Hierarchy3D.h"
#include "HierarchyFile.h"
#include "Matrix.h"
#include "Mesh3D.h"
#include "Polygon.h"
#include "Robot.h"
#include "ShaderProgram.h"
#include "Text.h"
#include "res_TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <tuple>
#include <set>
#include <sstream>

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Entry {
  std::string keyword, key, path, second;  // second: vertex path of a "Shader" line
};

std::vector<Entry> readCatalogue() {
  std::vector<Entry> out;
  std::istringstream in(slurp("data/config.txt"));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream f(line);
    Entry e;
    f >> e.keyword >> e.key >> e.path >> e.second;
    out.push_back(e);
  }
  return out;
}

struct Point {
  double x, y, z;
};

// Positions of an OBJ file's v records, read independently of the engine.
std::vector<Point> objPositions(const std::string& path) {
  std::vector<Point> out;
  std::istringstream in(slurp(path));
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("v ", 0) != 0) continue;
    Point p;
    std::sscanf(line.c_str() + 2, "%lf %lf %lf", &p.x, &p.y, &p.z);
    out.push_back(p);
  }
  return out;
}

struct Box {
  Point lo{1e30, 1e30, 1e30}, hi{-1e30, -1e30, -1e30};
};
Box bounds(const std::vector<Point>& pts) {
  Box b;
  for (const Point& p : pts) {
    b.lo = {std::min(b.lo.x, p.x), std::min(b.lo.y, p.y), std::min(b.lo.z, p.z)};
    b.hi = {std::max(b.hi.x, p.x), std::max(b.hi.y, p.y), std::max(b.hi.z, p.z)};
  }
  return b;
}

// The contract's catalogue keys of one kind, and its fixed-path files.
std::vector<std::string> contractKeys(lb_dataset::Kind kind) {
  std::vector<std::string> keys;
  for (const lb_dataset::Entry& e : lb_dataset::contract())
    if (e.kind == kind) keys.push_back(kind == lb_dataset::Kind::kFixed ? e.file : e.key);
  return keys;
}
const std::vector<std::string> kShaders = contractKeys(lb_dataset::Kind::kShader);
const std::vector<std::string> kTextures = contractKeys(lb_dataset::Kind::kTexture);
const std::vector<std::string> kMeshes = contractKeys(lb_dataset::Kind::kMesh);
const std::vector<std::string> kFixedMeshes = contractKeys(lb_dataset::Kind::kFixed);
const char* const kJoints[] = {"leftleg",      "leftknee",      "rightleg",  "rightknee",
                               "leftshoulder", "rightshoulder", "leftelbow", "rightelbow"};

TEST(DataSetFiles, CatalogueHasEveryKeyWithExistingFiles) {
  const std::vector<Entry> entries = readCatalogue();
  std::map<std::string, std::set<std::string>> keys;
  bool jpeg = false, png = false;
  for (const Entry& e : entries) {
    keys[e.keyword].insert(e.key);
    EXPECT_EQ(e.path.rfind("data/", 0), 0u) << e.key << ": paths are relative to the build folder";
    EXPECT_TRUE(std::filesystem::exists(e.path)) << e.keyword << " " << e.key << ": " << e.path;
    if (e.keyword == "Shader") {
      EXPECT_TRUE(std::filesystem::exists(e.second)) << e.key << ": " << e.second;
      EXPECT_NE(e.path.find(".frag"), std::string::npos) << e.key << ": the fragment shader comes first";
      EXPECT_NE(e.second.find(".vert"), std::string::npos) << e.key;
    }
    if (e.keyword == "Texture") {
      const bool isJpeg = e.path.size() >= 3 && e.path.compare(e.path.size() - 3, 3, "jpg") == 0;
      (isJpeg ? jpeg : png) = true;
      const std::string head = slurp(e.path).substr(0, 4);
      if (isJpeg)
        EXPECT_EQ(head.substr(0, 2), "\xFF\xD8") << e.path << " is decoded as JPEG";
      else
        EXPECT_EQ(head, "\x89PNG") << e.path << " is decoded as PNG";
    }
  }
  EXPECT_EQ(slurp("data/config.txt"), lb_dataset::catalogueText()) << "the catalogue is the contract's";
  EXPECT_EQ(lb_dataset::missingCatalogueEntries("data/config.txt"), std::vector<std::string>());
  EXPECT_TRUE(jpeg && png) << "both image decoders are exercised";
  for (const std::string& path : lb_dataset::requiredFiles()) EXPECT_TRUE(std::filesystem::exists(path)) << path;
}

TEST(DataSetFiles, MeshesUseTheReadableObjSubset) {
  std::vector<std::string> paths = kFixedMeshes;
  for (const Entry& e : readCatalogue())
    if (e.keyword == "Mesh") paths.push_back(e.path);
  for (const std::string& path : paths) {
    std::istringstream in(slurp(path));
    std::string line;
    size_t v = 0, vt = 0, vn = 0, faces = 0;
    int lineNo = 0, bad = 0;
    while (std::getline(in, line) && bad < 3) {
      ++lineNo;
      const std::string where = path + ":" + std::to_string(lineNo);
      if (line.size() >= 199) ++bad, ADD_FAILURE() << where << " longer than the reader's line buffer";
      if (line.empty() || line[0] == '#') continue;
      std::istringstream f(line);
      std::string kw;
      f >> kw;
      if (kw == "v" || kw == "vn") {
        EXPECT_EQ(line[kw.size()], ' ');
        EXPECT_EQ(line.find("  "), std::string::npos) << where << ": single spaces only";
        (kw == "v" ? v : vn)++;
      } else if (kw == "vt") {
        ++vt;
      } else if (kw == "f") {
        ++faces;
        std::vector<std::string> corners;
        std::string c;
        while (f >> c) corners.push_back(c);
        if (corners.size() != 3) ++bad, ADD_FAILURE() << where << ": not a triangle";
        for (const std::string& corner : corners) {
          size_t a = 0, b = 0, n = 0;
          if (std::sscanf(corner.c_str(), "%zu/%zu/%zu", &a, &b, &n) != 3 || a < 1 || a > v || b < 1 || b > vt ||
              n < 1 || n > vn)
            ++bad, ADD_FAILURE() << where << ": corner " << corner << " out of range or incomplete";
        }
      } else {
        ++bad, ADD_FAILURE() << where << ": unexpected record " << kw;
      }
    }
    EXPECT_GT(faces, 0u) << path;
  }
}

TEST(DataSetGeometry, CubesHaveTheSharedSize) {
  for (const char* path : {"data/cube.obj", "data/cubel.obj"}) {
    const Box b = bounds(objPositions(path));
    for (double lo : {b.lo.x, b.lo.y, b.lo.z}) EXPECT_NEAR(lo, -0.434, 0.002) << path;
    for (double hi : {b.hi.x, b.hi.y, b.hi.z}) EXPECT_NEAR(hi, 0.434, 0.002) << path;
  }
}

TEST(DataSetGeometry, TunnelSegmentsJoinAndEncloseTheFlight) {
  const std::vector<Point> pts = objPositions("data/tunnel.obj");
  const Box b = bounds(pts);
  // Segments are placed 28 apart along the local y axis; the sideways scene
  // moves one segment 3.51 + 8.17 units along -y and sees about 4.3 past its axis.
  EXPECT_LE(b.lo.y, -14.0);
  EXPECT_GE(b.hi.y, 14.0 + 4.5);
  double minRadius = 1e30;
  std::set<std::pair<long, long>> ringLow, ringHigh;
  for (const Point& p : pts) {
    minRadius = std::min(minRadius, std::hypot(p.x, p.z));
    const auto key = std::make_pair(std::lround(p.x * 1000), std::lround(p.z * 1000));
    if (std::fabs(p.y + 14.0) < 1e-3) ringLow.insert(key);
    if (std::fabs(p.y - 14.0) < 1e-3) ringHigh.insert(key);
  }
  // Flying cubes reach 2.45 + 0.434 from the axis in x and y: 4.08 diagonally.
  EXPECT_GE(minRadius, 4.1);
  EXPECT_FALSE(ringLow.empty());
  EXPECT_EQ(ringLow, ringHigh) << "one segment's start ring must match the previous segment's ring 28 later";
}

TEST(DataSetGeometry, SinkholeLiesUnderTheCubeArms) {
  const std::vector<Point> pts = objPositions("data/sinkhole.obj");
  // (radius, cube centre height) along an arm; a tumbling cube reaches 0.75 below its centre.
  const double arm[][2] = {{19.1, 5.25}, {11.6, 5.3}, {6.0, 4.9}, {1.7, 3.7}};
  for (const auto& a : arm) {
    double surface = -1e30;
    for (const Point& p : pts)
      if (std::fabs(std::hypot(p.x, p.z) - a[0]) < 0.6) surface = std::max(surface, p.y);
    EXPECT_GT(surface, -1e29) << "no surface near radius " << a[0];
    EXPECT_LT(surface, a[1] - 0.75) << "cube at radius " << a[0] << " would cut the ground";
  }
  double rim = 0, lowest = 1e30, nearAxis = 1e30;
  for (const Point& p : pts) {
    const double r = std::hypot(p.x, p.z);
    rim = std::max(rim, r);
    lowest = std::min(lowest, p.y);
    nearAxis = std::min(nearAxis, r);
  }
  EXPECT_GT(rim, 20.0);
  EXPECT_GT(nearAxis, 0.4 + 0.75) << "the sinking cubes must fall freely down the throat";
  EXPECT_LT(lowest, -3.0) << "the throat drops away below the cubes' last positions";
}

TEST(DataSetGeometry, GlassTubeAndGreetingsLeaveTheFallClear) {
  // The camera falls on the axis from 200 to 170.7; the twelve cubes (x, z in
  // [0, 2), half-size 0.434) from 212 to about 156.
  const double cubeReach = std::hypot(2.434, 2.434);
  const Box tube = bounds(objPositions("data/glasstube.obj"));
  EXPECT_LE(tube.lo.y, 150.0);
  EXPECT_GE(tube.hi.y, 215.0);
  for (const Point& p : objPositions("data/glasstube.obj")) ASSERT_GT(std::hypot(p.x, p.z), cubeReach) << p.y;
  for (const Point& p : objPositions("data/groups.obj"))
    if (p.y > 100 && p.y < 215) {
      ASSERT_GT(std::hypot(p.x, p.z), cubeReach + 0.5) << p.x << " " << p.y << " " << p.z;
    }
  std::vector<std::string> names;
  std::string error;
  ASSERT_TRUE(lb_datagen::readLines(LB_SOURCE_DIR "/content/text/greetings.txt", &names, &error)) << error;
  EXPECT_GE(names.size(), 12u);
}

TEST(DataSetGeometry, TitleAndCreditsFitTheOpeningShots) {
  const Box title = bounds(objPositions("data/demogroup.obj"));
  // At distance 13.33 with a 35-degree view the screen shows about +-7.5 by +-4.2.
  EXPECT_LE(title.hi.x - title.lo.x, 12.0);
  EXPECT_LE(title.hi.z - title.lo.z, 5.0);
  EXPECT_NEAR(title.lo.x + title.hi.x, 0.0, 0.5);
  const std::vector<Point> credits = objPositions("data/creators.obj");
  const double stops[3] = {16.02, 48.07, 80.11};
  for (int i = 0; i < 3; ++i) {
    Box block;
    for (const Point& p : credits)
      if (std::fabs(p.x - stops[i]) < 15) {
        block.lo = {std::min(block.lo.x, p.x), std::min(block.lo.y, p.y), std::min(block.lo.z, p.z)};
        block.hi = {std::max(block.hi.x, p.x), std::max(block.hi.y, p.y), std::max(block.hi.z, p.z)};
      }
    EXPECT_NEAR(0.5 * (block.lo.x + block.hi.x), stops[i], 0.5) << "block " << i;
    EXPECT_LT(block.hi.x - block.lo.x, 13.0) << "block " << i;
    // Below the title on screen (mesh -z is up) and still inside the frame.
    EXPECT_GT(block.lo.z, title.hi.z) << "block " << i;
    EXPECT_LT(block.hi.z, 4.2) << "block " << i;
  }
  for (const Point& p : credits) ASSERT_GT(p.x, 7.6) << "visible before the slide starts";
}

// Local coordinates of a world point in corridor segment 0, placed by
// translate(57, -3, 0) then rotate(0, 1.553846, 0) about the world origin.
Point corridorLocal(Point w) {
  const double a = 1.553846;
  // Undo the rotation about y (world = Ry(a) * (local + t)), then the translation.
  const double x = std::cos(a) * w.x - std::sin(a) * w.z;
  const double z = std::sin(a) * w.x + std::cos(a) * w.z;
  return {x - 57.0, w.y + 3.0, z};
}

TEST(DataSetGeometry, CorridorEnclosesEveryRobotCamera) {
  const Box floor = bounds(objPositions("data/robotfloor.obj"));
  const std::vector<Point> tunnel = objPositions("data/robottunel.obj");
  const Point eyes[] = {{0, 0, 0},         {0, 4.08, -5.4},     {2.69, 4.19, -81.2}, {2.69, 4.19, -17.0},
                        {-3, 2.2, -16.2},  {3.96, -2.93, -16.2}, {0.41, -1.27, -3.7}, {6.37, 0.94, -11.8}};
  for (const Point& eye : eyes) {
    const Point l = corridorLocal(eye);
    EXPECT_GT(l.x, floor.lo.x + 0.2) << eye.z;
    EXPECT_LT(l.x, floor.hi.x) << eye.z;
    EXPECT_LT(std::fabs(l.z), floor.hi.z) << eye.x;
    EXPECT_GT(l.y, 0.0) << "above the walking surface";
    // No wall or vault point lies between the eye and the corridor's middle.
    for (const Point& p : tunnel)
      if (std::fabs(p.x - l.x) < 3) {
        ASSERT_TRUE(std::fabs(p.z) > std::fabs(l.z) + 0.3 || p.y > l.y + 0.3) << eye.x << " " << eye.z;
      }
  }
  // The robot stands about 9.5 units tall with its soles on the floor.
  EXPECT_GT(bounds(tunnel).hi.y, 10.0);
  EXPECT_NEAR(floor.hi.y, 0.0, 1e-6);
}

// Absolute rest positions (element 12..14 of the baked matrices) of the robot file.
std::map<std::string, Point> bakedRobot(const lb_engine::Matrix& placement,
                                        const std::map<std::string, lb_engine::Matrix>& poses = {}) {
  lb_engine::Hierarchy3D* robot = parsehierfile("data/robot.hier", nullptr);
  for (const auto& pose : poses) robot->getNode(pose.first)->updateMatrix(pose.second, false);
  std::map<std::string, Point> out;
  lb_engine::Node* center = robot->getNode("center");
  if (center == nullptr) return out;
  hiertoindividual(center, placement);
  for (const auto& n : robot->nodes) {
    const float* m = n.second->matrix.values;
    out[n.first] = {m[12], m[13], m[14]};
  }
  return out;
}

lb_engine::Matrix identity() {
  lb_engine::Matrix m;
  m.translate(0, 0, 0);
  return m;
}

lb_engine::Matrix turnY(double a) {
  lb_engine::Matrix m;
  m.rotate(0, a, 0);
  return m;
}

TEST(DataSetRobot, PartsNamesAndStance) {
  const std::map<std::string, Point> rest = bakedRobot(identity());
  ASSERT_TRUE(rest.count("center"));
  EXPECT_LE(rest.size(), 58u);
  for (const char* j : kJoints) EXPECT_TRUE(rest.count(j)) << j;
  // Every line is a distinct node (a repeated name would hide a part).
  std::istringstream in(slurp("data/robot.hier"));
  std::string line;
  size_t lines = 0;
  while (std::getline(in, line))
    if (!line.empty()) ++lines;
  EXPECT_EQ(lines, rest.size());
  // Equal cubes (edge 0.868) that never overlap at rest, soles 4.1 below the root.
  double lowest = 1e30;
  for (auto a = rest.begin(); a != rest.end(); ++a) {
    lowest = std::min(lowest, a->second.z - 0.434);
    for (auto b = std::next(a); b != rest.end(); ++b) {
      const bool overlap = std::fabs(a->second.x - b->second.x) < 0.868 &&
                           std::fabs(a->second.y - b->second.y) < 0.868 && std::fabs(a->second.z - b->second.z) < 0.868;
      EXPECT_FALSE(overlap) << a->first << " and " << b->first;
    }
  }
  EXPECT_NEAR(lowest, -4.1, 0.05);
  // Facing +x, left side at +y.
  EXPECT_GT(rest.at("leftleg").y, 0.0);
  EXPECT_LT(rest.at("rightshoulder").y, 0.0);
  EXPECT_GT(rest.at("lefttoe").x, rest.at("leftshin").x);
}

TEST(DataSetRobot, JointsSwingLikeARunner) {
  const std::map<std::string, Point> rest = bakedRobot(identity());
  // A positive knee angle swings the shin backwards (-x) about the knee.
  const auto bent = bakedRobot(identity(), {{"leftknee", turnY(1.0)}});
  EXPECT_LT(bent.at("leftshin").x, rest.at("leftknee").x - 0.5);
  EXPECT_NEAR(bent.at("leftknee").x, rest.at("leftknee").x, 1e-4) << "the joint turns about its own origin";
  // The running elbow angle points the forearm forwards.
  const auto arms = bakedRobot(identity(), {{"leftelbow", turnY(-1.47)}, {"rightelbow", turnY(-1.47)}});
  EXPECT_GT(arms.at("lefthand").x, rest.at("leftelbow").x + 1.0);
  EXPECT_GT(arms.at("righthand").x, rest.at("rightelbow").x + 1.0);
  // Placed as in the running scene, no cube centre sinks into the floor (y = -3)
  // at any phase of the stride.
  for (double w = -1.0; w <= 1.0; w += 0.25) {
    lb_engine::Matrix r, t;
    r.rotate(0, 4.68, 4.67);
    t.translate(0.423077, 1.2 + std::fabs(w) / 2, -50);
    const auto posed = bakedRobot(r * t, {{"leftleg", turnY(w)},
                                          {"leftknee", turnY(std::min(1.0, 2 + 2 * w))},
                                          {"rightleg", turnY(-w)},
                                          {"rightknee", turnY(std::min(1.0, 2 - 2 * w))},
                                          {"leftshoulder", turnY(-w)},
                                          {"rightshoulder", turnY(w)},
                                          {"leftelbow", turnY(-1.47)},
                                          {"rightelbow", turnY(-1.47)}});
    for (const auto& p : posed) EXPECT_GT(p.second.y, -3.0 + 0.3) << p.first << " at w = " << w;
  }
  // In the cave scene's placement the soles rest on the floor.
  lb_engine::Matrix r, t;
  r.rotate(0, 4.68, 4.68);
  t.translate(0, 1.1, -20);
  double lowest = 1e30;
  for (const auto& p : bakedRobot(r * t)) lowest = std::min(lowest, static_cast<double>(p.second.y));
  EXPECT_NEAR(lowest - 0.434, -3.0, 0.08);
}

TEST(DataSetRobot, PartsListErrorsNameTheLine) {
  std::vector<lb_datagen::RobotPart> parts;
  std::string error;
  EXPECT_FALSE(lb_datagen::parseRobotParts("center - 0 0 0\narm hand 0 0 1\n", "r.parts", &parts, &error));
  EXPECT_NE(error.find("r.parts:2"), std::string::npos) << error;
  EXPECT_FALSE(lb_datagen::parseRobotParts("center - 0 0 0\ncenter center 0 0 1\n", "r.parts", &parts, &error));
  EXPECT_NE(error.find("twice"), std::string::npos) << error;
  std::string many = "center - 0 0 0\n";
  for (int i = 0; i < 58; ++i) many += "p" + std::to_string(i) + " center 0 0 " + std::to_string(i) + "\n";
  EXPECT_FALSE(lb_datagen::parseRobotParts(many, "r.parts", &parts, &error));
  EXPECT_NE(error.find("r.parts:59"), std::string::npos) << error;
  EXPECT_FALSE(lb_datagen::parseRobotParts("center - 0 0\n", "r.parts", &parts, &error));
  ASSERT_TRUE(lb_datagen::parseRobotParts("# comment\ncenter - 0 0 0\nleg center 0 1 -1\n", "r", &parts, &error))
      << error;
  EXPECT_EQ(lb_datagen::robotHierarchy(parts),
            "center 1 0 0 0.0000 0 1 0 0.0000 0 0 1 0.0000 0 0 0 1\n"
            " leg 1 0 0 0.0000 0 1 0 0.9000 0 0 1 -0.9000 0 0 0 1\n");
}

// Triangles must tile the filled region exactly: their areas add up to the
// shoelace area of the outlines minus the holes, none is turned over, and the
// centre of every triangle lies inside the filled region.
void expectTiles(const lb_datagen::Shape& shape, const std::string& what) {
  std::vector<lb_datagen::P2> pts;
  const auto tris = lb_datagen::triangulate(shape, &pts);
  double area = 0;
  for (const auto& t : tris) {
    const lb_datagen::P2 &a = pts[t[0]], &b = pts[t[1]], &c = pts[t[2]];
    const double a2 = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    EXPECT_GE(a2, 0.0) << what << ": a triangle is turned over";
    area += a2;
    const lb_datagen::P2 m{(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3};
    if (a2 > 1e-9) {
      EXPECT_TRUE(lb_datagen::pointInContour(m, shape.outer)) << what;
      for (const auto& h : shape.holes) EXPECT_FALSE(lb_datagen::pointInContour(m, h)) << what << ": inside a hole";
    }
  }
  double expected = lb_datagen::signedArea2(shape.outer);
  for (const auto& h : shape.holes) expected += lb_datagen::signedArea2(h);  // holes run clockwise
  EXPECT_NEAR(area, expected, 1e-6 * std::max(1.0, std::fabs(expected))) << what;
}

TEST(DataSetText, ShapesWithHolesAreFilledExactly) {
  using lb_datagen::Contour;
  // A square frame given with both contours the same way round.
  const Contour outer{{0, 0}, {4, 0}, {4, 4}, {0, 4}}, inner{{1, 1}, {3, 1}, {3, 3}, {1, 3}};
  const auto frame = lb_datagen::groupContours({inner, outer});
  ASSERT_EQ(frame.size(), 1u);
  ASSERT_EQ(frame[0].holes.size(), 1u);
  EXPECT_DOUBLE_EQ(lb_datagen::signedArea2(frame[0].outer), 32.0);
  EXPECT_DOUBLE_EQ(lb_datagen::signedArea2(frame[0].holes[0]), -8.0);
  expectTiles(frame[0], "frame");
  // A comb: many reflex corners and no hole.
  expectTiles(lb_datagen::groupContours({{{0, 0}, {7, 0}, {7, 3}, {6, 3}, {6, 1}, {5, 1}, {5, 3}, {4, 3}, {4, 1},
                                          {3, 1}, {3, 3}, {2, 3}, {2, 1}, {1, 1}, {1, 3}, {0, 3}}})[0],
              "comb");
  // Two holes side by side, and a shape nested inside a hole (an island).
  const Contour left{{1, 1}, {2, 1}, {2, 3}, {1, 3}}, right{{3, 1}, {4, 1}, {4, 3}, {3, 3}};
  const auto two = lb_datagen::groupContours({{{0, 0}, {5, 0}, {5, 4}, {0, 4}}, left, right});
  ASSERT_EQ(two.size(), 1u);
  EXPECT_EQ(two[0].holes.size(), 2u);
  expectTiles(two[0], "two holes");
  const auto island = lb_datagen::groupContours({outer, inner, {{1.5, 1.5}, {2.5, 1.5}, {2.5, 2.5}, {1.5, 2.5}}});
  EXPECT_EQ(island.size(), 2u);
}

TEST(DataSetText, GlyphOutlinesFillWithTheirCounters) {
  const lb_datagen::Font font(LB_DATAGEN_FONT);
  ASSERT_TRUE(font.ok()) << font.error();
  struct Case {
    const char* text;
    size_t shapes, holes;
  } cases[] = {{"B", 1, 2}, {"8", 1, 2}, {"i", 2, 0}, {"%", 3, 2}, {"Quasar Fern", 10, 4}, {"Mira Tonal", 10, 3}};
  for (const Case& c : cases) {
    const auto shapes = lb_datagen::groupContours(font.outline(c.text));
    size_t holes = 0;
    for (const auto& s : shapes) {
      holes += s.holes.size();
      expectTiles(s, c.text);
    }
    EXPECT_EQ(shapes.size(), c.shapes) << c.text;
    EXPECT_EQ(holes, c.holes) << c.text;
  }
  // Every text the data set extrudes.
  std::vector<std::string> lines, credits;
  std::string error;
  ASSERT_TRUE(lb_datagen::readLines(LB_SOURCE_DIR "/content/text/greetings.txt", &lines, &error)) << error;
  ASSERT_TRUE(lb_datagen::readLines(LB_SOURCE_DIR "/content/text/credits.txt", &credits, &error)) << error;
  for (const std::string& c : credits) {
    lines.push_back(c.substr(0, c.find('|')));
    lines.push_back(c.substr(c.find('|') + 1));
  }
  for (const std::string& text : lines)
    for (const auto& s : lb_datagen::groupContours(font.outline(text))) expectTiles(s, text);
}

class DataSetGl : public lb_test::GlTest {};

TEST_F(DataSetGl, CatalogueBuildsEveryProgramSilently) {
  CaptureStdout();
  lb_engine::Config config("data/config.txt");
  const std::string printed = GetCapturedStdout();
  EXPECT_EQ(printed, "") << "compile, link or validation messages";
  for (const std::string& k : kShaders) {
    GLint linked = 0;
    glGetProgramiv(config.getShader(k)->getProgramID(), GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_TRUE) << k;
  }
  for (const std::string& k : kMeshes) {
    lb_engine::Mesh3D* mesh = config.getModel(k);
    ASSERT_NE(mesh, nullptr) << k;
    EXPECT_GT(mesh->cornerCount, 0) << k;
  }
  for (const std::string& k : kTextures) {
    glBindTexture(GL_TEXTURE_2D, config.getTexture(k));
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    EXPECT_GT(w, 0) << k;
    EXPECT_GT(h, 0) << k;
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(DataSetGl, TitleCardLeavesTheFinaleVisible) {
  lb_engine::Config config("data/config.txt");
  glBindTexture(GL_TEXTURE_2D, config.getTexture("title"));
  GLint w = 0, h = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
  ASSERT_GT(w * h, 0);
  std::vector<unsigned char> px(static_cast<size_t>(w) * h * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  size_t clear = 0, solid = 0;
  for (size_t i = 3; i < px.size(); i += 4) {
    if (px[i] == 0) ++clear;
    if (px[i] > 240) ++solid;
  }
  EXPECT_GT(clear, px.size() / 4 * 6 / 10) << "most of the card is transparent";
  EXPECT_GT(solid, px.size() / 4 / 100) << "the lettering is opaque";
  EXPECT_EQ(px[3], 0);
  EXPECT_EQ(px[px.size() - 1], 0);
}

TEST(DataSetGenerator, TwoRunsGiveIdenticalBytesAndKeepTheMusic) {
  lb_test::ResTempDir tmp;
  const std::string a = tmp.path("a"), b = tmp.path("b");
  std::filesystem::create_directories(b);
  const std::string music = "not really an mp3";
  tmp.write("b/music.mp3", music);
  std::string error;
  ASSERT_TRUE(lb_datagen::generateDataSet(LB_SOURCE_DIR "/content", a, LB_DATAGEN_FONT, &error)) << error;
  ASSERT_TRUE(lb_datagen::generateDataSet(LB_SOURCE_DIR "/content", b, LB_DATAGEN_FONT, &error)) << error;
  EXPECT_EQ(slurp(b + "/music.mp3"), music);
  EXPECT_FALSE(std::filesystem::exists(a + "/music.mp3"));
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(a)) names.insert(e.path().filename().string());
  EXPECT_GT(names.size(), 25u);
  for (const std::string& n : names) EXPECT_EQ(slurp(a + "/" + n), slurp(b + "/" + n)) << n;
  // The build's own data set came from the same sources.
  for (const char* n : {"config.txt", "robot.hier", "cube.obj"}) EXPECT_EQ(slurp(a + "/" + n), slurp(std::string("data/") + n)) << n;
}

TEST(DataSetGenerator, MissingSourcesAreNamed) {
  lb_test::ResTempDir tmp;
  std::string error;
  EXPECT_FALSE(lb_datagen::generateDataSet(tmp.path("nothing"), tmp.path("out"), LB_DATAGEN_FONT, &error));
  EXPECT_NE(error.find(tmp.path("nothing")), std::string::npos) << error;
  EXPECT_FALSE(lb_datagen::generateDataSet(LB_SOURCE_DIR "/content", tmp.path("out"), tmp.path("no.ttf"), &error));
  EXPECT_NE(error.find("no.ttf"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(tmp.path("out/config.txt"))) << "no catalogue for an incomplete data set";
}

// What a scene source asks of the data set: (kind, key) for catalogue look-ups,
// (kFixed, path) for meshes opened by path. Look-ups go through the catalogue's
// getters or through the scenes' checked wrappers (requireModel,
// requireRobotModel), always with the key written out; the wrappers' own
// bodies pass their `key` parameter on, and nothing else may.
struct Lookup {
  lb_dataset::Kind kind;
  std::string key;
  bool operator<(const Lookup& o) const { return std::tie(kind, key) < std::tie(o.kind, o.key); }
  bool operator==(const Lookup& o) const { return kind == o.kind && key == o.key; }
};

std::set<Lookup> sceneLookups(const std::string& source, std::vector<std::string>* unchecked) {
  using K = lb_dataset::Kind;
  const std::map<std::string, K> kinds = {{"getShader", K::kShader}, {"getTexture", K::kTexture},
                                          {"getFile", K::kFile},     {"getModel", K::kMesh},
                                          {"requireModel", K::kMesh}, {"requireRobotModel", K::kMesh},
                                          {"Mesh3D", K::kFixed}};
  std::set<Lookup> found;
  const std::regex call(R"((getShader|getTexture|getFile|getModel|requireModel|requireRobotModel|Mesh3D)\((?:config,\s*)?([^,)]*))");
  for (std::sregex_iterator m(source.begin(), source.end(), call), end; m != end; ++m) {
    const std::string argument = (*m)[2];
    if (argument.size() >= 2 && argument.front() == '"' && argument.back() == '"')
      found.insert({kinds.at((*m)[1]), argument.substr(1, argument.size() - 2)});
    else if (argument != "key" && argument.find("Config*") == std::string::npos &&
             argument.find("char*") == std::string::npos)
      unchecked->push_back((*m)[0]);
  }
  return found;
}

// The scene whose source is scenes/NAME.cpp, for each scene of the show.
const char* const kSceneNames[] = {"GroupTitle", "MarchingCubes", "BouncingCubes", "BouncingCubes2", "Sinkhole",
                                   "Greetings",  "RobotCave",     "RobotIntro",    "RobotRunning",   "FallingApart"};

TEST(DataSetContract, EveryLookupOfEverySceneIsInTheTableUnderThatScene) {
  std::map<std::string, std::set<Lookup>> used;  // scene -> what its source asks for
  for (const char* scene : kSceneNames) {
    std::vector<std::string> unchecked;
    used[scene] = sceneLookups(slurp(std::string(LB_SOURCE_DIR "/scenes/") + scene + ".cpp"), &unchecked);
    EXPECT_FALSE(used[scene].empty()) << scene << ": no look-ups found; has the source moved?";
    EXPECT_EQ(unchecked, std::vector<std::string>()) << scene << ": look-ups whose key is not written out";
  }
  std::map<std::string, std::set<Lookup>> listed;  // scene -> what the table says it uses
  for (const lb_dataset::Entry& e : lb_dataset::contract()) {
    std::istringstream scenes(e.scenes);
    for (std::string scene; scenes >> scene;) {
      EXPECT_TRUE(used.count(scene)) << lb_dataset::entryName(e) << ": no scene named " << scene;
      listed[scene].insert({e.kind, e.kind == lb_dataset::Kind::kFixed ? e.file : e.key});
    }
  }
  for (const char* scene : kSceneNames) {
    for (const Lookup& l : used[scene])
      EXPECT_TRUE(listed[scene].count(l)) << scene << " looks up " << lb_dataset::keyword(l.kind) << " \"" << l.key
                                          << "\", which the data set's table does not list for it";
    for (const Lookup& l : listed[scene])
      EXPECT_TRUE(used[scene].count(l)) << "the table lists " << lb_dataset::keyword(l.kind) << " \"" << l.key
                                        << "\" for " << scene << ", which does not use it";
  }
}

TEST(DataSetContract, ScanCatchesAKeyOutsideTheTable) {
  std::vector<std::string> unchecked;
  const std::set<Lookup> found = sceneLookups(
      "  program = config->getShader(\"chrome\");\n  mesh = requireRobotModel(config, \"arm\", \"X\");\n"
      "  tunnel = new lb_engine::Mesh3D(\"data/tube.obj\");\n  t = config->getTexture(name);\n",
      &unchecked);
  using K = lb_dataset::Kind;
  EXPECT_EQ(found, (std::set<Lookup>{{K::kShader, "chrome"}, {K::kMesh, "arm"}, {K::kFixed, "data/tube.obj"}}));
  EXPECT_EQ(unchecked, std::vector<std::string>{"getTexture(name"});
}

TEST(DataSetContract, CatalogueCheckNamesWhatIsMissing) {
  lb_test::ResTempDir tmp;
  std::string text = lb_dataset::catalogueText();
  text.erase(text.find("Shader gloom "), text.find('\n', text.find("Shader gloom ")) + 1 - text.find("Shader gloom "));
  text += "Texture gloom data/gloom.png\n";  // another kind's key does not stand in
  tmp.write("config.txt", text);
  EXPECT_EQ(lb_dataset::missingCatalogueEntries(tmp.path("config.txt")), std::vector<std::string>{"Shader gloom"});
  EXPECT_EQ(static_cast<std::ptrdiff_t>(lb_dataset::missingCatalogueEntries(tmp.path("absent.txt")).size()),
            std::count_if(lb_dataset::contract().begin(), lb_dataset::contract().end(),
                          [](const lb_dataset::Entry& e) { return e.kind != lb_dataset::Kind::kFixed; }));
}

TEST(DataSetLocator, SearchesTheWorkingDirectoryThenBesideTheProgramThenShare) {
  EXPECT_EQ(lb_engine::dataSetSearchFolders(""), std::vector<std::string>{"./"});
  EXPECT_EQ(lb_engine::dataSetSearchFolders("/opt/lb/bin/"),
            (std::vector<std::string>{"./", "/opt/lb/bin/", "/opt/lb/bin/../share/lattice-bloom/"}));
}

}  // namespace
