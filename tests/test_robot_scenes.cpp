// The four robot scenes: their timing helpers checked against hand-computed
// values, their drand48 share checked against an independent erand48 sequence,
// and frames of the real show (320x180, data set in ./data) compared around
// each cut.

#include "Config.h"
#include "FallingApart.h"
#include "GlContext.h"
#include "Gl.h"
#include "Hierarchy3D.h"
#include "MyDemo.h"
#include "RobotCave.h"
#include "RobotIntro.h"
#include "RobotRunning.h"
#include "res_Support.h"

#include <gtest/gtest.h>

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

using lb_engine::Matrix;

namespace {

const double kPi = 3.141592653589793;
// The test window's size (lb_test::GlTest's frame).
const int kFrameWidth = 320;
const int kFrameHeight = 180;

// ------------------------------------------------------------------ helpers

// Values of the never-seeded drand48 sequence, from an independent generator
// started where this process's generator started.
std::vector<double> referenceSequence(int count) {
  lb_test::RandState state = lb_test::kProcessStartRandState;
  std::vector<double> values(count);
  for (double& v : values) v = erand48(state.data());
  return values;
}

// The show as the entry point builds it, once per process, from the generator
// state the process started with (the show never seeds it), put back first so
// that earlier tests in the same process do not shift the sequence. `nextDraw`
// is the drand48 value that followed init().
struct Show {
  MyDemo* demo = nullptr;
  double nextDraw = 0;
};

Show& show() {
  static Show s;
  if (s.demo == nullptr) {
    lb_test::setRandState(lb_test::kProcessStartRandState);
    s.demo = new MyDemo(kFrameWidth, kFrameHeight);
    s.demo->init();
    s.nextDraw = drand48();
  }
  return s;
}

template <typename T>
T* scene(int index) {
  return dynamic_cast<T*>(show().demo->scenes.at(index));
}

std::vector<unsigned char> frame(double t) {
  show().demo->show(t);
  glFinish();
  return lb_test::readPixels(kFrameWidth, kFrameHeight);
}

double differingShare(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  size_t count = 0;
  for (size_t i = 0; i + 3 < a.size(); i += 4)
    if (std::abs(a[i] - b[i]) > 2 || std::abs(a[i + 1] - b[i + 1]) > 2 || std::abs(a[i + 2] - b[i + 2]) > 2) ++count;
  return static_cast<double>(count) / (a.size() / 4);
}

glm::mat4 toGlm(const Matrix& m) { return glm::make_mat4(m.values); }

// Window pixel (x, y from the bottom) where a world point lands, through the
// scene's projection and view; false when it is behind the eye or off screen.
bool project(const Matrix& viewProjection, const float* p, int* x, int* y) {
  const glm::vec4 clip = toGlm(viewProjection) * glm::vec4(p[0], p[1], p[2], 1.0f);
  if (clip.w <= 0) return false;
  const float nx = clip.x / clip.w, ny = clip.y / clip.w;
  if (std::abs(nx) >= 0.95f || std::abs(ny) >= 0.95f) return false;
  *x = static_cast<int>((nx + 1) * 0.5f * kFrameWidth);
  *y = static_cast<int>((ny + 1) * 0.5f * kFrameHeight);
  return true;
}

bool samePixel(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, int x, int y) {
  const size_t i = 4 * (static_cast<size_t>(y) * kFrameWidth + x);
  return a[i] == b[i] && a[i + 1] == b[i + 1] && a[i + 2] == b[i + 2];
}

std::string identityLine(const std::string& indent, const std::string& name, double x, double y, double z) {
  return indent + name + " 1 0 0 " + std::to_string(x) + " 0 1 0 " + std::to_string(y) + " 0 0 1 " +
         std::to_string(z) + " 0 0 0 1\n";
}

// The composed world matrix of `target` below `node`, as hierdraw composes it
// (child first, then its ancestors, then `model`); false when it is not there.
bool worldOf(lb_engine::Node* node, lb_engine::Node* target, const Matrix& model, Matrix* out) {
  const Matrix world = node->getMatrix() * model;
  if (node == target) {
    *out = world;
    return true;
  }
  for (lb_engine::Node* child : node->children)
    if (worldOf(child, target, world, out)) return true;
  return false;
}

Matrix placement(double turnY, double turnZ, double x, double y, double z) {
  Matrix turn, place;
  turn.rotate(0, turnY, turnZ);
  place.translate(x, y, z);
  return turn * place;
}

class RobotScenes : public lb_test::GlTest {};

}  // namespace

// ------------------------------------------------------------------ pure timing

TEST(RobotCaveTiming, CubesFlyInAStraightLineFromAboveTheEye) {
  const float place[3] = {1.5f, -2.0f, -20.0f};
  double p[3];
  RobotCave::partPosition(91.017 + 1e-9, 91.017, 95.0, place, p);
  EXPECT_NEAR(p[0], 0.0, 1e-6);
  EXPECT_NEAR(p[1], 10.0, 1e-6);
  EXPECT_NEAR(p[2], 0.0, 1e-6);

  RobotCave::partPosition((91.017 + 95.0) / 2, 91.017, 95.0, place, p);
  EXPECT_NEAR(p[0], 0.75, 1e-9);
  EXPECT_NEAR(p[1], 4.0, 1e-9);  // halfway from 10 to -2
  EXPECT_NEAR(p[2], -10.0, 1e-9);

  for (double t : {95.0, 96.0, 97.9}) {
    RobotCave::partPosition(t, 91.017, 95.0, place, p);
    EXPECT_EQ(p[0], 1.5);
    EXPECT_EQ(p[1], -2.0);
    EXPECT_EQ(p[2], -20.0);
  }
}

TEST(RobotIntroTiming, CameraCutsExactlyAtTheTwoCuts) {
  EXPECT_EQ(RobotIntro::cameraIndex(98.0001), 0);
  EXPECT_EQ(RobotIntro::cameraIndex(std::nextafter(99.5, 0.0)), 0);
  EXPECT_EQ(RobotIntro::cameraIndex(99.5), 1);
  EXPECT_EQ(RobotIntro::cameraIndex(std::nextafter(100.983, 0.0)), 1);
  EXPECT_EQ(RobotIntro::cameraIndex(100.983), 2);
  EXPECT_EQ(RobotIntro::cameraIndex(102.475), 2);
  const double* low = RobotIntro::cameraEye(100.0);
  EXPECT_EQ(low[0], 3.96);
  EXPECT_EQ(low[1], -2.93);
  EXPECT_EQ(low[2], -16.2);
}

TEST(RobotRunningTiming, PhasesCutAt109237And11247) {
  const auto before = RobotRunning::phaseAt(std::nextafter(109.237, 0.0));
  EXPECT_EQ(before.number, 1);
  EXPECT_NEAR(before.s - 72, -24.673, 1e-9);  // 7 * (109.237 - 102.476) - 72
  EXPECT_EQ(before.eye[0], 0.0);
  EXPECT_EQ(before.eye[2], 0.0);

  const auto second = RobotRunning::phaseAt(109.237);
  EXPECT_EQ(second.number, 2);
  EXPECT_NEAR(second.s, -22.631, 1e-9);
  EXPECT_NEAR(second.lookAt[2], -94.631, 1e-9);
  EXPECT_NEAR(second.lookAt[1], 1.2 + std::abs(std::sin(3 * 109.237)) / 2, 1e-12);
  EXPECT_EQ(second.eye[1], 4.08);

  const auto third = RobotRunning::phaseAt(112.47);
  EXPECT_EQ(third.number, 3);
  EXPECT_NEAR(third.s, -21.21, 1e-9);
  EXPECT_NEAR(third.eye[2], -81.21, 1e-9);  // 12 ahead of the body at -93.21
  EXPECT_NEAR(third.lookAt[2], -93.21, 1e-9);
  EXPECT_NEAR(RobotRunning::phaseAt(121.639).s - 72, -29.027, 1e-9);
}

TEST(RobotRunningTiming, KneesAreClampedAndLimbsSwingInOpposition) {
  // sin(3t) = 0 at t = 107 pi / 3 (about 112.05 s).
  const double still = 107 * kPi / 3;
  auto pose = RobotRunning::poseAt(still);
  EXPECT_NEAR(pose.leftLeg, 0.0, 1e-9);
  EXPECT_NEAR(pose.leftShoulder, 0.0, 1e-9);
  EXPECT_EQ(pose.leftKnee, 1.0);
  EXPECT_EQ(pose.rightKnee, 1.0);
  EXPECT_NEAR(RobotRunning::bodyHeight(still), 1.2, 1e-9);

  // sin(3t) = -1: left leg at its extreme -1, left knee straight, right bent.
  const double low = kPi / 2 + 2 * kPi * 54 / 3;
  pose = RobotRunning::poseAt(low);
  EXPECT_NEAR(pose.leftLeg, -1.0, 1e-9);
  EXPECT_NEAR(pose.rightLeg, 1.0, 1e-9);
  EXPECT_NEAR(pose.rightShoulder, -1.0, 1e-9);
  EXPECT_NEAR(pose.leftShoulder, 1.0, 1e-9);
  EXPECT_NEAR(pose.leftKnee, 0.0, 1e-9);
  EXPECT_EQ(pose.rightKnee, 1.0);
  EXPECT_NEAR(RobotRunning::bodyHeight(low), 1.7, 1e-9);

  // sin(3t) = 1 mirrors it; sin(3t) = -0.75 half-straightens the left knee.
  pose = RobotRunning::poseAt(low + kPi / 3);
  EXPECT_EQ(pose.leftKnee, 1.0);
  EXPECT_NEAR(pose.rightKnee, 0.0, 1e-9);
  pose = RobotRunning::poseAt((std::asin(-0.75) + 2 * kPi * 54) / 3);
  EXPECT_NEAR(pose.leftKnee, 0.5, 1e-9);
  EXPECT_EQ(pose.leftElbow, -1.47);
  EXPECT_EQ(pose.rightElbow, -1.47);
}

TEST(FallingApartTiming, PartsDriftDropAndRestOnTheFloor) {
  Matrix baked;
  baked.rotate(0.2, 4.68, 4.67);
  baked.values[12] = 0.5f;
  baked.values[13] = 1.2f;
  baked.values[14] = -24.0f;

  const Matrix atStart = FallingApart::fallenPart(baked, 125.0, 0.25f, -0.5f);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(atStart.values[i], baked.values[i]) << i;

  // 1.2 - 4.9 d^2 reaches -2.57 at d = 0.8771 s.
  EXPECT_GT(FallingApart::fallenPart(baked, 125.877, 0, 0).values[13], -2.57f);
  EXPECT_EQ(FallingApart::fallenPart(baked, 125.878, 0, 0).values[13], -2.57f);
  const Matrix late = FallingApart::fallenPart(baked, 127.0, 0.25f, -0.5f);
  EXPECT_EQ(late.values[13], -2.57f);
  EXPECT_NEAR(late.values[12], 0.5 + 0.25 * 2, 1e-5);  // still drifting on the floor
  EXPECT_NEAR(late.values[14], -24.0 - 0.5 * 2, 1e-5);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(late.values[i], baked.values[i]) << i;  // no turning

  EXPECT_TRUE(FallingApart::walking(124.999));
  EXPECT_FALSE(FallingApart::walking(125.0));
  EXPECT_FALSE(FallingApart::titleShown(126.573));
  EXPECT_TRUE(FallingApart::titleShown(std::nextafter(126.573, 200.0)));
}

// ------------------------------------------------------------------ the real show

TEST_F(RobotScenes, TimelineDraws1268ValuesBeforeTheFirstFrame) {
  REQUIRE_DATA();
  const std::vector<double> ref = referenceSequence(1269);
  EXPECT_EQ(show().nextDraw, ref[1268]) << "the constructors did not draw 1268 values in all";

  // RobotCave's 58 arrival times are values 1095 to 1152, in order; the
  // finale's drift pairs are values 1153 to 1268, dx before dz.
  RobotCave* cave = scene<RobotCave>(6);
  FallingApart* finale = scene<FallingApart>(9);
  ASSERT_NE(cave, nullptr);
  ASSERT_NE(finale, nullptr);
  for (int i = 0; i < 58; ++i) {
    EXPECT_EQ(cave->arrivalTimes[i], 91.017 + 2 + 4 * ref[1094 + i]) << i;
    EXPECT_EQ(finale->drift[i][0], static_cast<float>(ref[1152 + 2 * i] - 0.5)) << i;
    EXPECT_EQ(finale->drift[i][1], static_cast<float>(ref[1153 + 2 * i] - 0.5)) << i;
  }
}

TEST_F(RobotScenes, CaveCubesStartOutOfSightAndEndOnTheirParts) {
  REQUIRE_DATA();
  RobotCave* cave = scene<RobotCave>(6);
  ASSERT_NE(cave, nullptr);
  ASSERT_FALSE(cave->robot->nodes.empty());
  frame(91.018);
  // Every cube is still at (0, 10, 0), straight above the eye: the frame is the
  // bare corridor and does not change while they barely move.
  const auto start = frame(91.018);
  EXPECT_LT(differingShare(start, frame(91.0185)), 0.001);

  // From 97.017 s every cube is on its part: where a part lands on screen the
  // picture now differs from the bare corridor.
  const auto done = frame(97.02);
  EXPECT_EQ(differingShare(done, frame(97.9)), 0.0) << "something still moves after 97.017 s";
  int visible = 0, covered = 0;
  for (const auto& entry : cave->robot->nodes) {
    int x, y;
    const Matrix baked = entry.second->getMatrix();
    if (!project(cave->projection, &baked.values[12], &x, &y)) continue;
    ++visible;
    if (!samePixel(start, done, x, y)) ++covered;
  }
  EXPECT_GT(visible, 0);
  EXPECT_GE(covered, visible * 9 / 10) << covered << " of " << visible << " parts show on screen";
}

TEST_F(RobotScenes, IntroCutsExactlyAt99_5And100_983) {
  REQUIRE_DATA();
  frame(98.5);
  const auto first = frame(std::nextafter(99.5, 0.0));
  const auto second = frame(99.5);
  const auto secondLate = frame(std::nextafter(100.983, 0.0));
  const auto third = frame(100.983);
  EXPECT_GT(differingShare(first, second), 0.2);
  EXPECT_EQ(differingShare(second, secondLate), 0.0) << "the robot stands still between cuts";
  EXPECT_GT(differingShare(secondLate, third), 0.2);
}

TEST_F(RobotScenes, RunningPosesTheJointsFromTheClock) {
  REQUIRE_DATA();
  RobotRunning* run = scene<RobotRunning>(8);
  ASSERT_NE(run, nullptr);
  const double low = kPi / 2 + 2 * kPi * 54 / 3;  // sin(3t) = -1, about 114.67 s
  frame(low);
  const glm::mat4 leftKneeRest = toGlm(run->leftKnee->stateMatrix);
  const glm::mat4 rightKneeRest = toGlm(run->rightKnee->stateMatrix);
  auto rotY = [](float a) { return glm::rotate(glm::mat4(1.0f), a, glm::vec3(0, 1, 0)); };
  auto expectNear = [](const glm::mat4& want, const Matrix& got) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(got.values[i], glm::value_ptr(want)[i], 1e-5f) << i;
  };
  expectNear(leftKneeRest, run->leftKnee->getMatrix());  // straight: pose angle 0
  expectNear(rightKneeRest * rotY(1.0f), run->rightKnee->getMatrix());
  expectNear(toGlm(run->leftLeg->stateMatrix) * rotY(-1.0f), run->leftLeg->getMatrix());
  expectNear(toGlm(run->leftElbow->stateMatrix) * rotY(-1.47f), run->leftElbow->getMatrix());

  // Posing is absolute: the same clock gives the same pose after other frames.
  const auto a = frame(110.0);
  frame(115.0);
  EXPECT_EQ(differingShare(a, frame(110.0)), 0.0);

  // The picture cuts at both phase boundaries.
  EXPECT_GT(differingShare(frame(std::nextafter(109.237, 0.0)), frame(109.237)), 0.05);
  EXPECT_GT(differingShare(frame(std::nextafter(112.47, 0.0)), frame(112.47)), 0.05);
}

TEST_F(RobotScenes, RobotStandsOnTheFloorAndRunsWithLimbsInOpposition) {
  REQUIRE_DATA();
  // Standing: in the close-ups the lowest part's centre is about a cube's
  // half-extent (0.434) above the corridor floor at y = -3.
  RobotIntro* intro = scene<RobotIntro>(7);
  ASSERT_NE(intro, nullptr);
  const Matrix standing = placement(4.68, 4.67, 0.7, 1.01, -22);
  float lowest = 1e9f;
  for (const auto& entry : intro->robot->nodes) {
    Matrix w;
    ASSERT_TRUE(worldOf(intro->center, entry.second, standing, &w)) << entry.first << " is not under center";
    lowest = std::min(lowest, w.values[13]);
  }
  EXPECT_GT(lowest, -3.0f + 0.434f - 0.2f) << "the robot sinks into the floor";
  EXPECT_LT(lowest, -3.0f + 0.434f + 0.2f) << "the robot floats above the floor";

  // Running, at sin(3t) = -1: the left leg reaches forward (+z, the running
  // direction) with the right arm, the right leg and left arm swing back.
  RobotRunning* run = scene<RobotRunning>(8);
  ASSERT_NE(run, nullptr);
  const double low = kPi / 2 + 2 * kPi * 54 / 3;
  frame(low);
  const Matrix body = placement(4.68, 4.67, 0.423077, RobotRunning::bodyHeight(low),
                                RobotRunning::phaseAt(low).s - 72);
  auto z = [&](lb_engine::Node* n) {
    Matrix w;
    EXPECT_TRUE(worldOf(run->center, n, body, &w));
    return w.values[14];
  };
  const float centre = z(run->center);
  EXPECT_GT(z(run->leftKnee), centre + 0.5f);
  EXPECT_LT(z(run->rightKnee), centre - 0.5f);
  EXPECT_GT(z(run->rightElbow), centre + 0.5f);
  EXPECT_LT(z(run->leftElbow), centre - 0.5f);
}

TEST_F(RobotScenes, FinalePartsRestOnTheFloorAndTheTitleComesStrictlyAfter126_573) {
  REQUIRE_DATA();
  FallingApart* finale = scene<FallingApart>(9);
  ASSERT_NE(finale, nullptr);
  size_t k = 0;
  for (const auto& entry : finale->scatteredRobot->nodes) {
    const Matrix baked = entry.second->getMatrix();
    EXPECT_GT(baked.values[13], -2.57f) << entry.first << " is baked below the floor";
    EXPECT_EQ(finale->partMatrix(baked, k, 127.9).values[13], -2.57f) << entry.first;
    ++k;
  }
  const auto before = frame(126.573);
  const auto after = frame(std::nextafter(126.573, 200.0));
  EXPECT_LT(differingShare(frame(std::nextafter(126.573, 0.0)), before), 0.001);
  EXPECT_GT(differingShare(before, after), 0.02) << "no title card over the picture";
  EXPECT_EQ(differingShare(frame(127.5), frame(127.5)), 0.0);
}

TEST_F(RobotScenes, PartsBeyondTheTablesGetTheFixedArrivalAndNoDrift) {
  REQUIRE_DATA();
  show();  // the shared show first, so this test's draws come after its own
  // A 60-part robot: "center" with the eight joints and 51 more parts.
  lb_test::ResTempDir dir;
  std::string text = identityLine("", "center", 0, 0, 0);
  for (const char* j : {"leftleg", "leftknee", "rightleg", "rightknee", "leftshoulder", "rightshoulder",
                        "leftelbow", "rightelbow"})
    text += identityLine(" ", j, 0, 0, -1);
  for (int i = 0; i < 51; ++i) text += identityLine(" ", "extra" + std::to_string(i), 0, 1, i * 0.1);
  const std::string path = dir.write("big.hier", text);
  lb_engine::Config config("data/config.txt");
  config.files["robothier"] = path;

  testing::internal::CaptureStderr();
  RobotCave cave(kWidth, kHeight, &config);
  const std::string caveNote = testing::internal::GetCapturedStderr();
  ASSERT_EQ(cave.robot->nodes.size(), 60u);
  EXPECT_NE(caveNote.find("60 parts"), std::string::npos) << caveNote;
  EXPECT_EQ(cave.arrivalTime(58), 91.017 + 6);
  EXPECT_EQ(cave.arrivalTime(59), 91.017 + 6);
  EXPECT_LT(cave.arrivalTime(57), 91.017 + 6);

  testing::internal::CaptureStderr();
  FallingApart finale(kWidth, kHeight, &config);
  const std::string finaleNote = testing::internal::GetCapturedStderr();
  EXPECT_NE(finaleNote.find("60 parts"), std::string::npos) << finaleNote;
  Matrix baked;
  baked.translate(1, 2, 3);
  const Matrix beyond = finale.partMatrix(baked, 59, 127.0);
  EXPECT_EQ(beyond.values[12], 1.0f);
  EXPECT_EQ(beyond.values[14], 3.0f);
  EXPECT_EQ(beyond.values[13], -2.57f);

  // Drawing the 60 parts stays within the GL's texture units and buffers.
  cave.show(97.5);
  finale.show(127.0);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RobotScenes, SceneStopsOnARobotFileWithoutCenter) {
  REQUIRE_DATA();
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  lb_engine::Config config("data/config.txt");
  config.files["robothier"] = "/nonexistent/robot.hier";
  EXPECT_EXIT(RobotIntro(kWidth, kHeight, &config), testing::ExitedWithCode(1),
              "/nonexistent/robot\\.hier: no \"center\" node");
}
