// The director's player in a GL context: the overlay leaves the scenes' GL
// state and the following frames exactly as they would have been, and touches
// no pixel outside its rectangles; shader programs and textures are rebuilt in
// place (same objects, same names) and a broken edit keeps the last good one.

#include "GlContext.h"

#include "AssetReloader.h"
#include "CatalogueLine.h"
#include "Config.h"
#include "FrameRenderer.h"
#include "Gl.h"
#include "GlState.h"
#include "MusicGrid.h"
#include "MyDemo.h"
#include "Overlay.h"
#include "PngWriter.h"
#include "ProgramRebuild.h"
#include "SceneTable.h"
#include "ShaderProgram.h"
#include "TextureReload.h"
#include "res_TempDir.h"

#include <SDL.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace {

using lb_test::GlTest;

// The catalogue line of `key` with the given keyword, as the catalogue read it.
lb_engine::CatalogueLine catalogueEntry(lb_engine::CatalogueLine::Kind kind, const std::string& key) {
  std::ifstream in("data/config.txt");
  std::string line;
  lb_engine::CatalogueLine found;
  while (std::getline(in, line)) {
    const lb_engine::CatalogueLine entry = lb_engine::parseCatalogueLine(line);
    if (entry.kind == kind && entry.key == key) found = entry;
  }
  return found;
}

class DevPlayerTest : public GlTest {
 protected:
  std::vector<unsigned char> frame(double t) {
    lb_render::showFrame(demo_, t);
    return lb_test::readPixels(kWidth, kHeight);
  }
  void SetUp() override {
    GlTest::SetUp();
    if (HasFatalFailure()) return;
    demo_ = new MyDemo(kWidth, kHeight);
    demo_->init();
  }
  MyDemo* demo_ = nullptr;  // never deleted, as in the show
};

// True when pixel (x, y), counted from the top left, lies within `margin` of a rectangle.
bool covered(const std::vector<lb_dev::OverlayRect>& rects, int x, int y, float margin) {
  for (const lb_dev::OverlayRect& r : rects) {
    if (x >= r.x - margin && x < r.x + r.width + margin && y >= r.y - margin && y < r.y + r.height + margin)
      return true;
  }
  return false;
}

TEST_F(DevPlayerTest, SceneTableComesFromTheScenes) {
  const std::vector<lb_dev::SceneSpan> spans = lb_dev::sceneSpans(*demo_);
  ASSERT_EQ(spans.size(), 10u);
  EXPECT_EQ(spans[0].name, "GroupTitle");
  EXPECT_EQ(spans[4].name, "Sinkhole");
  EXPECT_DOUBLE_EQ(spans[4].start, 42.067);
  EXPECT_DOUBLE_EQ(spans[4].end, 61.692);
  EXPECT_EQ(spans[9].name, "FallingApart");
  EXPECT_DOUBLE_EQ(spans[9].end, 128.0);
}

// The cuts as the scenes declare them (not the score's table): each one, and
// the end of the last scene, is the first beat of a bar, exactly.
TEST_F(DevPlayerTest, EveryCutOfTheScenesIsADownbeatOfTheMusicsGrid) {
  const lb_music::MusicGrid grid;
  const std::vector<lb_dev::SceneSpan> spans = lb_dev::sceneSpans(*demo_);
  ASSERT_EQ(spans.size(), 10u);
  for (const lb_dev::SceneSpan& span : spans) {
    for (double cut : {span.start, span.end}) {
      const lb_music::GridPosition at = grid.positionAt(cut);
      EXPECT_EQ(at.beat, 1) << span.name << " at " << cut;
      EXPECT_EQ(at.fraction, 0.0) << span.name << " at " << cut;
      EXPECT_EQ(grid.barStart(at.bar), cut) << span.name;
    }
  }
  // Hand-counted: the greetings start bar 33, the last scene ends where bar 69 starts.
  EXPECT_EQ(grid.positionAt(spans[5].start).bar, 33);
  EXPECT_EQ(grid.positionAt(spans[9].end).bar, 69);
}

TEST_F(DevPlayerTest, OverlayLeavesStateAndPixelsOutsideItAsTheScenesLeftThem) {
  lb_dev::Overlay overlay;
  std::string error;
  ASSERT_TRUE(overlay.init(lb_test::GlContext::window(), SDL_GL_GetCurrentContext(), &error)) << error;
  lb_dev::Transport transport(lb_dev::sceneSpans(*demo_));
  std::vector<float> frameMs(120, 12.0f);
  lb_dev::OverlayModel model;
  model.transport = &transport;
  model.frameMs = &frameMs;
  model.buildLog = "\"default\": rebuilt";
  double seek = 0.0;
  // ImGui lays out self-sizing windows on their first frame and draws them from the second.
  overlay.draw(model, &seek);

  // 40 s (BouncingCubes2), then 45 s (Sinkhole): with the overlay drawn in between...
  const std::vector<unsigned char> plain40 = frame(40.0);
  const lb_dev::GlState before = lb_dev::captureGlState();
  overlay.draw(model, &seek);
  const lb_dev::GlState after = lb_dev::captureGlState();
  EXPECT_TRUE(before == after) << lb_dev::describeGlStateDifference(before, after);
  const std::vector<unsigned char> shown40 = lb_test::readPixels(kWidth, kHeight);
  const std::vector<unsigned char> next45 = frame(45.0);
  // ...and without it: the next frame is the same, bit for bit.
  frame(40.0);
  const std::vector<unsigned char> clean45 = frame(45.0);
  EXPECT_TRUE(next45 == clean45) << "the frame after the overlay differs";

  // The overlay's own frame: identical outside its rectangles (with 2 px for
  // anti-aliased edges), and it does draw inside them.
  ASSERT_FALSE(overlay.rectangles().empty());
  int outsideDiffer = 0, insideDiffer = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const size_t at = (static_cast<size_t>(kHeight - 1 - y) * kWidth + x) * 4;  // rows bottom-first
      const bool same = plain40[at] == shown40[at] && plain40[at + 1] == shown40[at + 1] &&
                        plain40[at + 2] == shown40[at + 2];
      if (!covered(overlay.rectangles(), x, y, 2.0f)) {
        if (!same) ++outsideDiffer;
      } else if (!same) {
        ++insideDiffer;
      }
    }
  }
  EXPECT_EQ(outsideDiffer, 0);
  EXPECT_GT(insideDiffer, 1000);
}

TEST_F(DevPlayerTest, ProgramRebuildsInPlaceAndABrokenEditKeepsTheLastGoodOne) {
  const lb_engine::CatalogueLine entry = catalogueEntry(lb_engine::CatalogueLine::kShader, "default");
  ASSERT_FALSE(entry.path.empty());
  lb_engine::ShaderProgram* program = demo_->catalogue()->getShader("default");
  const unsigned int name = program->getProgramID();
  const std::vector<unsigned char> original = frame(50.0);  // Sinkhole draws with "default"

  lb_test::ResTempDir dir;
  const std::string flat = dir.write("flat.frag",
                                     "#version 410 core\n"
                                     "layout(location = 0) out vec4 colour;\n"
                                     "void main() { colour = vec4(1.0, 0.0, 1.0, 1.0); }\n");
  std::string log;
  ASSERT_TRUE(lb_engine::rebuildProgram(program, flat, entry.vertexPath, &log)) << log;
  EXPECT_EQ(program->getProgramID(), name);
  const std::vector<unsigned char> flatFrame = frame(50.0);
  EXPECT_FALSE(flatFrame == original);

  const std::string broken = dir.write("broken.frag", "#version 410 core\nvoid main() { colour = ; }\n");
  EXPECT_FALSE(lb_engine::rebuildProgram(program, broken, entry.vertexPath, &log));
  EXPECT_NE(log.find(broken), std::string::npos) << log;
  EXPECT_EQ(program->getProgramID(), name);
  GLint linked = GL_FALSE;
  glGetProgramiv(name, GL_LINK_STATUS, &linked);
  EXPECT_EQ(linked, GL_TRUE);
  EXPECT_TRUE(frame(50.0) == flatFrame) << "a failed rebuild changed the picture";

  // A source that compiles but does not link (a function declared, never defined) fails as well.
  const std::string unmatched = dir.write("unlinked.frag",
                                          "#version 410 core\n"
                                          "vec4 shade();\n"
                                          "layout(location = 0) out vec4 colour;\n"
                                          "void main() { colour = shade(); }\n");
  EXPECT_FALSE(lb_engine::rebuildProgram(program, unmatched, entry.vertexPath, &log));
  EXPECT_NE(log.find("do not link"), std::string::npos) << log;
  EXPECT_TRUE(frame(50.0) == flatFrame);

  ASSERT_TRUE(lb_engine::rebuildProgram(program, entry.path, entry.vertexPath, &log)) << log;
  EXPECT_TRUE(frame(50.0) == original) << "rebuilt from the same sources, the frame differs";
}

TEST_F(DevPlayerTest, TextureReloadsIntoTheSameName) {
  const lb_engine::CatalogueLine entry = catalogueEntry(lb_engine::CatalogueLine::kTexture, "sinkhole");
  ASSERT_FALSE(entry.path.empty());
  const unsigned int name = demo_->catalogue()->getTexture("sinkhole");
  const std::vector<unsigned char> original = frame(50.0);

  lb_test::ResTempDir dir;
  lb_render::Image green;
  green.width = 8;
  green.height = 8;
  green.rgb.assign(8 * 8 * 3, 0);
  for (size_t i = 1; i < green.rgb.size(); i += 3) green.rgb[i] = 255;
  std::string error;
  ASSERT_TRUE(lb_render::writePng(dir.path("green.png"), green, &error)) << error;
  ASSERT_TRUE(lb_engine::reloadTexture(dir.path("green.png"), lb_engine::IMG_PNG, name, &error)) << error;
  const std::vector<unsigned char> greenFrame = frame(50.0);
  EXPECT_FALSE(greenFrame == original);

  const std::string corrupt = dir.write("corrupt.png", std::string("\x89PNG\r\n\x1a\nnot really", 18));
  EXPECT_FALSE(lb_engine::reloadTexture(corrupt, lb_engine::IMG_PNG, name, &error));
  EXPECT_NE(error.find(corrupt), std::string::npos) << error;
  EXPECT_TRUE(frame(50.0) == greenFrame);

  ASSERT_TRUE(lb_engine::reloadTexture(entry.path, entry.decoder, name, &error)) << error;
  EXPECT_TRUE(frame(50.0) == original);
}

TEST_F(DevPlayerTest, ReloaderRebuildsOnlyWhatChangedAndKeepsGlState) {
  lb_dev::AssetReloader reloader(demo_->catalogue());
  const std::vector<std::string> files = reloader.sourceFiles();
  const lb_engine::CatalogueLine entry = catalogueEntry(lb_engine::CatalogueLine::kShader, "default");
  EXPECT_NE(std::find(files.begin(), files.end(), lb_dev::normalPath(entry.path)), files.end());
  frame(50.0);
  // A change event for a file whose bytes are as loaded reloads nothing.
  const lb_dev::GlState before = lb_dev::captureGlState();
  EXPECT_FALSE(reloader.reloadChanged({entry.path, "data/./" + entry.path.substr(5)}).anything());
  // Everything again: every program and texture comes back, GL state untouched.
  const lb_dev::ReloadReport all = reloader.reloadAll();
  EXPECT_EQ(all.programsFailed, 0) << all.buildLog;
  EXPECT_EQ(all.programsRebuilt, 8);
  EXPECT_EQ(all.texturesReloaded, 9) << all.problems;
  const lb_dev::GlState after = lb_dev::captureGlState();
  EXPECT_TRUE(before == after) << lb_dev::describeGlStateDifference(before, after);
}

}  // namespace
