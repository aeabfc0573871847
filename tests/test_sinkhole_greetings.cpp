// The Sinkhole and Greetings scenes: the clock-driven values (fade, eye height, the
// cubes' way along their arms), the drand48 values they draw, the GL state they
// leave behind, and whole frames read back from the window.

#include "Config.h"
#include "GlContext.h"
#include "Gl.h"
#include "Greetings.h"
#include "MyDemo.h"
#include "Path.h"
#include "ShaderProgram.h"
#include "Sinkhole.h"
#include "res_Support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <vector>

namespace {

using lb_test::randState;
using lb_test::setRandState;

// Control point 0 (the end near the hole's centre) of each arm, z-up.
const double kArmEnds[4][3] = {{-0.10901901, 0.3795682, 1.4834993},
                               {0.30750436, 0.3225385, 1.5506454},
                               {-0.109033525, -0.29807135, 1.91494},
                               {-0.30071175, 0.1580326, 1.4463558}};

// The number of different colours in a frame: a blank frame has one.
size_t colourCount(const std::vector<unsigned char>& px) {
  std::set<unsigned int> colours;
  for (size_t i = 0; i + 3 < px.size(); i += 4) colours.insert(px[i] | px[i + 1] << 8 | px[i + 2] << 16);
  return colours.size();
}

template <typename T>
T* findScene(MyDemo& demo) {
  for (lb_engine::Scene* s : demo.scenes) {
    if (T* found = dynamic_cast<T*>(s)) return found;
  }
  return nullptr;
}

// The current value of a uniform that the data set's program must have.
GLint activeUniform(lb_engine::ShaderProgram* p, const char* name) {
  const GLint location = glGetUniformLocation(p->getProgramID(), name);
  if (location < 0) ADD_FAILURE() << "\"" << name << "\" is not an active uniform of the program";
  return location;
}

float uniformFloat(lb_engine::ShaderProgram* p, const char* name) {
  float v = -1;
  const GLint location = activeUniform(p, name);
  if (location >= 0) glGetUniformfv(p->getProgramID(), location, &v);
  return v;
}

int uniformInt(lb_engine::ShaderProgram* p, const char* name) {
  GLint v = -1;
  const GLint location = activeUniform(p, name);
  if (location >= 0) glGetUniformiv(p->getProgramID(), location, &v);
  return v;
}

}  // namespace

TEST(SinkholeClock, FadeAndEyeHeight) {
  EXPECT_EQ(Sinkhole::fadeAt(42.1), 0.0);
  EXPECT_EQ(Sinkhole::fadeAt(56.694), 0.0);
  EXPECT_NEAR(Sinkhole::fadeAt(59.193), 0.5, 1e-12);
  EXPECT_NEAR(Sinkhole::fadeAt(61.692), 1.0, 1e-12);
  EXPECT_GT(Sinkhole::fadeAt(56.7), 0.0);

  EXPECT_EQ(Sinkhole::eyeHeightAt(42.1), 8.0);
  EXPECT_EQ(Sinkhole::eyeHeightAt(56.694), 8.0);
  EXPECT_NEAR(Sinkhole::eyeHeightAt(59.193), 5.501, 1e-9);
  EXPECT_NEAR(Sinkhole::eyeHeightAt(61.692), 3.002, 1e-9);
}

TEST(SinkholeClock, CubeTravelsItsArmInTwentyFourSecondsThenSinks) {
  // A straight arm, so that positions along it are easy to compute by hand.
  lb_engine::Path arm;
  arm.addPoint(Point3D(0, 0, 1.5));
  arm.addPoint(Point3D(4, 0, 1.5));
  arm.addPoint(Point3D(8, 0, 1.5));
  arm.addPoint(Point3D(12, 0, 1.5));
  const double launch = 30.067;

  Point3D p = Sinkhole::cubePosition(launch, launch, arm);  // the far end
  EXPECT_DOUBLE_EQ(p.x, 12);
  p = Sinkhole::cubePosition(launch + 6, launch, arm);  // a quarter of the way: x = 12 (1 - 1/4)
  EXPECT_DOUBLE_EQ(p.x, 9);
  EXPECT_DOUBLE_EQ(p.z, 1.5);
  p = Sinkhole::cubePosition(launch + 24, launch, arm);
  EXPECT_EQ(p.x, 0.0);
  EXPECT_EQ(p.z, 1.5);
  p = Sinkhole::cubePosition(launch + 25, launch, arm);
  EXPECT_EQ(p.x, 0.0);
  EXPECT_NEAR(p.z, 0.5, 1e-12);
  p = Sinkhole::cubePosition(launch + 27.5, launch, arm);
  EXPECT_NEAR(p.z, -2.0, 1e-12);
  // Continuous at the arrival.
  const Point3D before = Sinkhole::cubePosition(launch + 24 - 1e-6, launch, arm);
  const Point3D after = Sinkhole::cubePosition(launch + 24 + 1e-6, launch, arm);
  EXPECT_NEAR(before.x, after.x, 1e-5);
  EXPECT_NEAR(before.z, after.z, 1e-5);
}

class SinkholeScene : public lb_test::GlTest {
 protected:
  void SetUp() override {
    lb_test::GlTest::SetUp();
    ASSERT_TRUE(lb_test::dataPresent()) << "no data/config.txt under the working directory; build the data set first";
  }
};

TEST_F(SinkholeScene, LaunchTimesAreWholeSecondsAfter28_067FromThirtyDraws) {
  lb_engine::Config config("data/config.txt");
  const auto before = randState();
  Sinkhole scene(kWidth, kHeight, &config);
  const auto after = randState();

  setRandState(before);
  std::set<int> slots;
  for (int i = 0; i < 30; ++i) {
    SCOPED_TRACE(i);
    const int k = static_cast<int>(std::floor(10 * drand48()));
    EXPECT_NEAR(scene.launchTimes[i], 28.067 + k, 1e-9);
    slots.insert(k);
  }
  EXPECT_EQ(randState(), after) << "the constructor draws exactly 30 values";
  EXPECT_GT(slots.size(), 3u);
}

// In the show, the three scenes constructed before Sinkhole draw 1004 values, so
// its launch draws are values 1005 to 1034 of the sequence and Greetings' layout
// draws 1035 to 1094 (five per cube: x from the first two, y from the third, z
// from the last two).
TEST_F(SinkholeScene, ShowLayoutsComeFromTheirPlaceInTheSequence) {
  const auto start = randState();
  MyDemo demo(kWidth, kHeight);
  demo.init();
  Sinkhole* sinkhole = findScene<Sinkhole>(demo);
  Greetings* greetings = findScene<Greetings>(demo);
  ASSERT_NE(sinkhole, nullptr);
  ASSERT_NE(greetings, nullptr);

  setRandState(start);
  std::vector<double> values(1094);
  for (double& v : values) v = drand48();
  for (int i = 0; i < 30; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(sinkhole->launchTimes[i], 28.067 + std::floor(10 * values[1004 + i]), 1e-9);
  }
  for (int i = 0; i < Greetings::kCubeCount; ++i) {
    SCOPED_TRACE(i);
    const double* r = &values[1034 + 5 * i];
    EXPECT_FLOAT_EQ(greetings->cubePositions[i][0], static_cast<float>(std::sin(3.14 * r[1]) * (1 + r[0])));
    EXPECT_FLOAT_EQ(greetings->cubePositions[i][1], static_cast<float>(12 * r[2]));
    EXPECT_FLOAT_EQ(greetings->cubePositions[i][2], static_cast<float>(std::sin(3.14 * r[4]) * (1 + r[3])));
  }
}

TEST_F(SinkholeScene, CubesReachTheEndOfEachArmThenSink) {
  MyDemo demo(kWidth, kHeight);
  demo.init();
  Sinkhole* scene = findScene<Sinkhole>(demo);
  ASSERT_NE(scene, nullptr);
  const double launch = scene->launchTimes[0];
  for (int j = 0; j < 4; ++j) {
    SCOPED_TRACE(j);
    const Point3D end = Sinkhole::cubePosition(launch + 24, launch, *scene->paths[j]);
    EXPECT_NEAR(end.x, kArmEnds[j][0], 1e-7);
    EXPECT_NEAR(end.y, kArmEnds[j][1], 1e-7);
    EXPECT_NEAR(end.z, kArmEnds[j][2], 1e-7);
    const Point3D lower = Sinkhole::cubePosition(launch + 25, launch, *scene->paths[j]);
    EXPECT_EQ(lower.x, end.x);
    EXPECT_EQ(lower.y, end.y);
    EXPECT_NEAR(lower.z, end.z - 1, 1e-9);
  }
}

TEST_F(SinkholeScene, FramesDependOnTheClockAloneAndLeaveTheirState) {
  MyDemo demo(kWidth, kHeight);
  demo.init();
  Sinkhole* scene = findScene<Sinkhole>(demo);
  ASSERT_NE(scene, nullptr);

  demo.show(50.0);
  const std::vector<unsigned char> first = lb_test::readPixels(kWidth, kHeight);
  EXPECT_GT(colourCount(first), 20u) << "the frame at 50 s looks blank";

  // Later frames, including the descent, then the same moment again.
  demo.show(60.0);
  EXPECT_NEAR(scene->eye[1], 8 - (60.0 - 56.694), 1e-12);
  const std::vector<unsigned char> late = lb_test::readPixels(kWidth, kHeight);
  EXPECT_NE(late, first);
  demo.show(50.0);
  EXPECT_EQ(scene->eye[1], 8.0);
  EXPECT_EQ(lb_test::readPixels(kWidth, kHeight), first);

  // The state the next scene inherits: opaque black clear colour, depth test on.
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_EQ(clear[0], 0.0f);
  EXPECT_EQ(clear[1], 0.0f);
  EXPECT_EQ(clear[2], 0.0f);
  EXPECT_EQ(clear[3], 1.0f);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));

  // The cubes read unit 1 (the sinkhole unit 0, before them); the composite
  // reads colour from unit 0 and depth from unit 1.
  EXPECT_EQ(uniformInt(scene->program, "img"), 1);
  EXPECT_EQ(uniformInt(scene->postProgram, "color0"), 0);
  EXPECT_EQ(uniformInt(scene->postProgram, "depth"), 1);

  demo.show(59.193);
  EXPECT_NEAR(uniformFloat(scene->postProgram, "fade"), 0.5f, 1e-6);
  demo.show(55.0);
  EXPECT_EQ(uniformFloat(scene->postProgram, "fade"), 0.0f);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

class GreetingsScene : public SinkholeScene {};

TEST_F(GreetingsScene, ConstructorDrawsSixtyValuesAndPlacesCubesInRange) {
  lb_engine::Config config("data/config.txt");
  const auto before = randState();
  Greetings scene(kWidth, kHeight, &config);
  const auto after = randState();
  setRandState(before);
  for (int i = 0; i < 60; ++i) drand48();
  EXPECT_EQ(randState(), after);

  std::set<float> heights;
  for (int i = 0; i < Greetings::kCubeCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_GE(scene.cubePositions[i][0], 0.0f);
    EXPECT_LT(scene.cubePositions[i][0], 2.0f);
    EXPECT_GE(scene.cubePositions[i][1], 0.0f);
    EXPECT_LT(scene.cubePositions[i][1], 12.0f);
    EXPECT_GE(scene.cubePositions[i][2], 0.0f);
    EXPECT_LT(scene.cubePositions[i][2], 2.0f);
    heights.insert(scene.cubePositions[i][1]);
  }
  EXPECT_EQ(heights.size(), 12u);
}

TEST_F(GreetingsScene, EachFrameDrawsTwoValuesAndIsDeterministicGivenThem) {
  MyDemo demo(kWidth, kHeight);
  demo.init();
  Greetings* scene = findScene<Greetings>(demo);
  ASSERT_NE(scene, nullptr);

  const auto before = randState();
  demo.show(70.0);
  const auto after = randState();
  const std::vector<unsigned char> first = lb_test::readPixels(kWidth, kHeight);
  setRandState(before);
  drand48();
  drand48();
  EXPECT_EQ(randState(), after) << "a frame draws exactly two values";
  EXPECT_GT(colourCount(first), 20u) << "the frame at 70 s looks blank";

  // The same values give the same frame, after other frames in between.
  demo.show(80.0);
  demo.show(90.9);
  setRandState(before);
  demo.show(70.0);
  EXPECT_EQ(lb_test::readPixels(kWidth, kHeight), first);

  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_EQ(clear[0], 0.6f);
  EXPECT_EQ(clear[1], 0.6f);
  EXPECT_EQ(clear[2], 0.6f);
  EXPECT_EQ(clear[3], 1.0f);
  EXPECT_EQ(uniformInt(scene->program, "img"), 1);  // the cubes' unit
  EXPECT_EQ(uniformInt(scene->glassProgram, "glasstex"), 0);
  EXPECT_NEAR(uniformFloat(scene->glassProgram, "time"), 70.0 - 61.692, 1e-5);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
