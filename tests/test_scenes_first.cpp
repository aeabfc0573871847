// The first four scenes (title, rolling cubes, the two tunnel scenes): the
// drand48 values each constructor consumes and their order, whole frames
// rendered with lattice-bloom-render's code, and the renderer's own command
// line, output naming, PNG output and clear-colour hand-over.

#include "GlContext.h"

#include "BouncingCubes.h"
#include "BouncingCubes2.h"
#include "Config.h"
#include "FrameRenderer.h"
#include "Gl.h"
#include "GroupTitle.h"
#include "MarchingCubes.h"
#include "MyDemo.h"
#include "PngWriter.h"
#include "RenderOptions.h"
#include "res_Support.h"

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// The show never seeds the generator; POSIX names 0x1234ABCD330E as its default
// state, but glibc starts an unseeded generator from 0 instead, so the reference
// sequence starts from the state the test finds. Captured before anything in the
// test draws.
lb_test::RandState gStartState;
void captureStartState() { gStartState = lb_test::randState(); }

// The n-th value (0-based) of the sequence from the captured start, computed
// with an independent generator (erand48 keeps its state in the caller's array).
double referenceDraw(int n) {
  lb_test::RandState state = gStartState;
  double value = 0;
  for (int i = 0; i <= n; ++i) value = erand48(state.data());
  return value;
}

// How many values of the sequence lie between the captured start and the
// current state, if at most `limit`; -1 otherwise. Draws nothing.
int drawsSoFar(int limit) {
  const lb_test::RandState now = lb_test::randState();
  lb_test::RandState state = gStartState;
  for (int i = 0; i <= limit; ++i) {
    if (state == now) return i;
    erand48(state.data());
  }
  return -1;
}

// Share of pixels brighter than near-black in any channel.
double litShare(const lb_render::Image& image) {
  size_t lit = 0;
  for (size_t i = 0; i < image.rgb.size(); i += 3)
    if (image.rgb[i] > 16 || image.rgb[i + 1] > 16 || image.rgb[i + 2] > 16) ++lit;
  return static_cast<double>(lit) / (image.rgb.size() / 3);
}

size_t differingPixels(const lb_render::Image& a, const lb_render::Image& b) {
  size_t count = 0;
  for (size_t i = 0; i + 2 < a.rgb.size() && i + 2 < b.rgb.size(); i += 3)
    if (a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2]) ++count;
  return count;
}

class FirstScenes : public lb_test::GlTest {};

}  // namespace

// ---------------------------------------------------------------------------
// drand48: each constructor takes exactly its share, in its order.

TEST_F(FirstScenes, EachConstructorDrawsItsShareOfTheSequence) {
  REQUIRE_DATA();
  // Constructed in timeline order, so the counts add up as in the show.
  captureStartState();
  // Never seeded: the POSIX default state, or glibc's all-zero one.
  const lb_test::RandState posixDefault = {0x330E, 0xABCD, 0x1234};
  const lb_test::RandState glibcUnseeded = {0, 0, 0};
  EXPECT_TRUE(gStartState == posixDefault || gStartState == glibcUnseeded) << "the generator was seeded";
  lb_engine::Config config("data/config.txt");
  ASSERT_EQ(drawsSoFar(0), 0) << "loading the catalogue drew values";
  int taken = 0;
  struct Step {
    const char* name;
    int draws;
    std::unique_ptr<lb_engine::Scene> (*make)(lb_engine::Config*);
  };
  const Step steps[] = {
      {"GroupTitle", 0, [](lb_engine::Config* c) -> std::unique_ptr<lb_engine::Scene> {
         return std::unique_ptr<lb_engine::Scene>(new GroupTitle(kWidth, kHeight, c));
       }},
      {"MarchingCubes", 84, [](lb_engine::Config* c) -> std::unique_ptr<lb_engine::Scene> {
         return std::unique_ptr<lb_engine::Scene>(new MarchingCubes(kWidth, kHeight, c));
       }},
      {"BouncingCubes", 720, [](lb_engine::Config* c) -> std::unique_ptr<lb_engine::Scene> {
         return std::unique_ptr<lb_engine::Scene>(new BouncingCubes(kWidth, kHeight, c));
       }},
      {"BouncingCubes2", 200, [](lb_engine::Config* c) -> std::unique_ptr<lb_engine::Scene> {
         return std::unique_ptr<lb_engine::Scene>(new BouncingCubes2(kWidth, kHeight, c));
       }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    // The scenes' GL objects are never freed in the show; leaking them here is harmless.
    step.make(&config).release();
    EXPECT_EQ(drawsSoFar(taken + step.draws + 10), taken + step.draws);
    taken += step.draws;
  }
}

TEST_F(FirstScenes, ValuesLandInTheFieldsInDrawOrder) {
  REQUIRE_DATA();
  captureStartState();
  MyDemo demo(kWidth, kHeight);
  demo.init();
  ASSERT_GE(demo.scenes.size(), 4u);
  auto* marching = dynamic_cast<MarchingCubes*>(demo.scenes[1]);
  auto* bouncing = dynamic_cast<BouncingCubes*>(demo.scenes[2]);
  auto* sideways = dynamic_cast<BouncingCubes2*>(demo.scenes[3]);
  ASSERT_NE(marching, nullptr);
  ASSERT_NE(bouncing, nullptr);
  ASSERT_NE(sideways, nullptr);

  // Rolling cubes: start x, depth, phase for cube 0, then cube 1, ...
  EXPECT_EQ(marching->startX[0], static_cast<float>(10 + 10 * referenceDraw(0)));
  EXPECT_EQ(marching->depth[0], static_cast<float>(-13 - 3 * referenceDraw(1)));
  EXPECT_EQ(marching->phase[0], static_cast<float>(referenceDraw(2)));
  EXPECT_EQ(marching->startX[1], static_cast<float>(10 + 10 * referenceDraw(3)));
  EXPECT_EQ(marching->phase[27], static_cast<float>(referenceDraw(83)));

  // Tunnel cubes from value 84: sign, x, sign, y, z, angle; all 120 cubes.
  for (int i : {0, 49, 119}) {
    SCOPED_TRACE(i);
    const int base = 84 + 6 * i;
    const double signX = referenceDraw(base) > 0.5 ? 1 : -1;
    const double signY = referenceDraw(base + 2) > 0.5 ? 1 : -1;
    EXPECT_EQ(bouncing->cubeX[i], static_cast<float>((0.25 + 2.2 * referenceDraw(base + 1)) * signX));
    EXPECT_EQ(bouncing->cubeY[i], static_cast<float>((0.25 + 2.2 * referenceDraw(base + 3)) * signY));
    EXPECT_EQ(bouncing->cubeZ[i], static_cast<float>(34 * referenceDraw(base + 4)));
    EXPECT_EQ(bouncing->cubeAngle[i], static_cast<float>(referenceDraw(base + 5)));
  }

  // Sideways cubes from value 804: depth, start x, phase, spin.
  for (int i : {0, 49}) {
    SCOPED_TRACE(i);
    const int base = 804 + 4 * i;
    EXPECT_EQ(sideways->depth[i], static_cast<float>(-2 - 4 * referenceDraw(base)));
    EXPECT_EQ(sideways->startX[i], static_cast<float>(-25 * referenceDraw(base + 1)));
    EXPECT_EQ(sideways->bobPhase[i], static_cast<float>(6.28 * referenceDraw(base + 2)));
    EXPECT_EQ(sideways->spinOffset[i], static_cast<float>(referenceDraw(base + 3)));
  }
}

// ---------------------------------------------------------------------------
// Frames, rendered as lattice-bloom-render renders them.

namespace {

struct SceneTimes {
  const char* name;
  double early;
  double middle;
  double late;
};

// The fixture's window size.
const int kFrameWidth = 320;
const int kFrameHeight = 180;

void expectLiveStableFrames(const SceneTimes& scene) {
  SCOPED_TRACE(scene.name);
  MyDemo demo(kFrameWidth, kFrameHeight);
  demo.init();
  lb_render::FrameRenderer renderer(&demo, kFrameWidth, kFrameHeight);
  lb_render::Image early, middle, late, earlyAgain;
  renderer.render(scene.early, &early);
  renderer.render(scene.middle, &middle);
  renderer.render(scene.late, &late);
  renderer.render(scene.early, &earlyAgain);

  EXPECT_GT(litShare(early), 0.01) << "frame at " << scene.early << " s is (nearly) black";
  EXPECT_GT(litShare(middle), 0.01) << "frame at " << scene.middle << " s is (nearly) black";
  EXPECT_GT(litShare(late), 0.01) << "frame at " << scene.late << " s is (nearly) black";
  EXPECT_GT(differingPixels(early, middle), 100u) << "nothing moves between the two times";
  EXPECT_GT(differingPixels(middle, late), 100u) << "nothing moves between the two times";
  EXPECT_EQ(differingPixels(early, earlyAgain), 0u) << "the same time drew a different frame";
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace

TEST_F(FirstScenes, GroupTitleFramesAreLitMovingAndRepeatable) {
  REQUIRE_DATA();
  expectLiveStableFrames({"GroupTitle", 0.3, 2.0, 4.5});
}

TEST_F(FirstScenes, MarchingCubesFramesAreLitMovingAndRepeatable) {
  REQUIRE_DATA();
  expectLiveStableFrames({"MarchingCubes", 5.0, 12.0, 20.9});
}

TEST_F(FirstScenes, BouncingCubesFramesAreLitMovingAndRepeatable) {
  REQUIRE_DATA();
  expectLiveStableFrames({"BouncingCubes", 21.2, 27.5, 33.8});
}

TEST_F(FirstScenes, BouncingCubes2FramesAreLitMovingAndRepeatable) {
  REQUIRE_DATA();
  expectLiveStableFrames({"BouncingCubes2", 34.0, 38.0, 42.0});
}

namespace {

// Where GLM's perspective puts a point of the eye's frame on a 320x180 screen,
// as a row counted from the top.
double screenRow(double y, double z, double far) {
  const glm::dmat4 projection =
      glm::perspective(glm::radians(35.0), static_cast<double>(kFrameWidth) / kFrameHeight, 0.1, far);
  const glm::dvec4 clip = projection * glm::dvec4(0, y, z, 1);
  return (1 - clip.y / clip.w) / 2 * kFrameHeight;
}

// Mean row and column of the lit pixels in rows [firstRow, lastRow).
void litCentroid(const lb_render::Image& image, int firstRow, int lastRow, double* row, double* column) {
  double sumRow = 0, sumColumn = 0, count = 0;
  for (int y = firstRow; y < lastRow; ++y)
    for (int x = 0; x < image.width; ++x) {
      const unsigned char* p = image.rgb.data() + (static_cast<size_t>(y) * image.width + x) * 3;
      if (p[0] > 64 || p[1] > 64 || p[2] > 64) {
        sumRow += y;
        sumColumn += x;
        count += 1;
      }
    }
  ASSERT_GT(count, 100) << "almost nothing lit";
  *row = sumRow / count;
  *column = sumColumn / count;
}

}  // namespace

// The title is turned upright first and then moved down the view axis (the
// other product order would swing it out of view): it sits at the centre of
// the screen in the title scene and one unit higher in the rolling-cubes scene.
TEST_F(FirstScenes, TitleSitsWhereTheProjectionPutsIt) {
  REQUIRE_DATA();
  MyDemo demo(kWidth, kHeight);
  demo.init();
  lb_render::FrameRenderer renderer(&demo, kWidth, kHeight);
  lb_render::Image frame;
  double row = 0, column = 0;

  renderer.render(4.7, &frame);  // the last credits have slid off by now
  litCentroid(frame, 0, kHeight, &row, &column);
  EXPECT_NEAR(row, screenRow(0, -13.33, 1500), 6);
  EXPECT_NEAR(column, kWidth / 2.0, 8);

  // Rolling cubes run along y = -2, well below the raised title: only the
  // upper part of the screen is measured.
  renderer.render(12.9, &frame);
  const double expected = screenRow(1, -13.33, 150);
  ASSERT_LT(expected, 80);
  litCentroid(frame, 0, 105, &row, &column);
  EXPECT_NEAR(row, expected, 6);
  EXPECT_NEAR(column, kWidth / 2.0, 8);
}

TEST_F(FirstScenes, FramesOutsideEveryIntervalAreBlackAndKeepTheClearColour) {
  REQUIRE_DATA();
  MyDemo demo(kWidth, kHeight);
  demo.init();
  lb_render::FrameRenderer renderer(&demo, kWidth, kHeight);
  lb_render::Image frame;
  for (double t : {0.0, 4.817, 21.067, 128.0, 129.5}) {
    SCOPED_TRACE(t);
    renderer.render(2.0, &frame);  // leave a lit picture behind first
    ASSERT_GT(litShare(frame), 0.01);
    renderer.render(t, &frame);
    size_t nonBlack = 0;
    for (unsigned char c : frame.rgb) nonBlack += c != 0 ? 1 : 0;
    EXPECT_EQ(nonBlack, 0u);
  }
  // The renderer's own clear must not change the clear colour a scene hands on.
  glClearColor(0.6f, 0.6f, 0.6f, 1);
  renderer.render(4.817, &frame);
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_FLOAT_EQ(clear[0], 0.6f);
  EXPECT_FLOAT_EQ(clear[3], 1.0f);
}

// ---------------------------------------------------------------------------
// The renderer's command line and output.

namespace {

bool parse(std::vector<const char*> args, lb_render::RenderOptions* options, std::string* error) {
  args.insert(args.begin(), "lattice-bloom-render");
  return lb_render::parseOptions(static_cast<int>(args.size()), args.data(), options, error);
}

}  // namespace

TEST(RenderCommandLine, AcceptsTimesOutputAndSize) {
  lb_render::RenderOptions options;
  std::string error;
  ASSERT_TRUE(parse({"--at", "5", "--at=0.25", "--out", "f%d.png", "--size", "640x360", "--at", "-1"}, &options,
                    &error))
      << error;
  EXPECT_EQ(options.times, (std::vector<double>{5, 0.25, -1}));
  EXPECT_EQ(options.out, "f%d.png");
  EXPECT_EQ(options.width, 640);
  EXPECT_EQ(options.height, 360);

  ASSERT_TRUE(parse({"--at", "1", "--out", "a.png"}, &options, &error));
  EXPECT_EQ(options.width, 1280);
  EXPECT_EQ(options.height, 720);
}

TEST(RenderCommandLine, RejectsBadArgumentsNamingThem) {
  const std::vector<std::vector<const char*>> bad = {
      {},
      {"--out", "a.png"},
      {"--at", "1"},
      {"--at", "abc", "--out", "a.png"},
      {"--at", "1s", "--out", "a.png"},
      {"--at", "nan", "--out", "a.png"},
      {"--at", "1", "--out"},
      {"--at", "1", "--out", "a.png", "--size", "0x10"},
      {"--at", "1", "--out", "a.png", "--size", "640"},
      {"--at", "1", "--out", "a.png", "--size", "640x-3"},
      {"--at", "1", "--out", "a.png", "--size", "99999x10"},
      {"--at", "1", "--out", "a.png", "--fast"},
  };
  for (const auto& args : bad) {
    lb_render::RenderOptions options;
    std::string error;
    EXPECT_FALSE(parse(args, &options, &error)) << "accepted argument list #" << (&args - bad.data());
    EXPECT_FALSE(error.empty());
  }
  lb_render::RenderOptions options;
  std::string error;
  parse({"--at", "1", "--out", "a.png", "--fast"}, &options, &error);
  EXPECT_NE(error.find("--fast"), std::string::npos) << error;
}

TEST(RenderOutputPaths, PatternFolderAndSingleFile) {
  std::vector<std::string> paths;
  std::string error;
  ASSERT_TRUE(lb_render::outputPaths("shots/f%d.png", 3, "/tmp/x", &paths, &error)) << error;
  EXPECT_EQ(paths, (std::vector<std::string>{"/tmp/x/shots/f0.png", "/tmp/x/shots/f1.png", "/tmp/x/shots/f2.png"}));

  ASSERT_TRUE(lb_render::outputPaths("/abs/f%03d.png", 2, "/tmp/x", &paths, &error)) << error;
  EXPECT_EQ(paths, (std::vector<std::string>{"/abs/f000.png", "/abs/f001.png"}));

  ASSERT_TRUE(lb_render::outputPaths("/abs/one.png", 1, "/tmp/x", &paths, &error));
  EXPECT_EQ(paths, (std::vector<std::string>{"/abs/one.png"}));

  EXPECT_FALSE(lb_render::outputPaths("/abs/one.png", 2, "/tmp/x", &paths, &error));
  EXPECT_NE(error.find("%d"), std::string::npos);

  lb_test::ResTempDir dir;
  const std::string folder = dir.path("out");
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  ASSERT_TRUE(lb_render::outputPaths(folder, 2, "/", &paths, &error)) << error;
  EXPECT_EQ(paths, (std::vector<std::string>{folder + "/frame-0000.png", folder + "/frame-0001.png"}));
  // A path ending in '/' is a folder, made if absent.
  ASSERT_TRUE(lb_render::outputPaths(folder + "/new/", 1, "/", &paths, &error)) << error;
  EXPECT_EQ(paths, (std::vector<std::string>{folder + "/new/frame-0000.png"}));
  EXPECT_EQ(access((folder + "/new").c_str(), W_OK), 0);
}

TEST(RenderPng, WrittenFileDecodesToTheSamePixelsTopRowFirst) {
  lb_render::Image image;
  image.width = 5;
  image.height = 3;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      image.rgb.push_back(static_cast<unsigned char>(50 * x));
      image.rgb.push_back(static_cast<unsigned char>(100 * y));
      image.rgb.push_back(static_cast<unsigned char>(7));
    }
  lb_test::ResTempDir dir;
  const std::string path = dir.path("written.png");
  std::string error;
  ASSERT_TRUE(lb_render::writePng(path, image, &error)) << error;

  png_image decoded;
  std::memset(&decoded, 0, sizeof decoded);
  decoded.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&decoded, path.c_str()));
  decoded.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(decoded));
  ASSERT_TRUE(png_image_finish_read(&decoded, nullptr, pixels.data(), 0, nullptr));
  EXPECT_EQ(decoded.width, 5u);
  EXPECT_EQ(decoded.height, 3u);
  EXPECT_EQ(pixels, image.rgb);
  // First row of the file is y = 0: green 0; last row green 200.
  EXPECT_EQ(pixels[1], 0);
  EXPECT_EQ(pixels[2 * 15 + 1], 200);

  EXPECT_FALSE(lb_render::writePng("/nonexistent-folder/x.png", image, &error));
  EXPECT_NE(error.find("/nonexistent-folder/x.png"), std::string::npos) << error;
}
