// lattice-bloom-render beyond single frames: the frame sequence's count and
// clock values, its command line, the progress line, the contact sheet's
// layout, scaling, labels and scene list, GL error checks, the ffmpeg child's
// exit status, and the per-scene regression against committed reference frames.

#include "GlContext.h"

#include "ContactSheet.h"
#include "FrameRenderer.h"
#include "Gl.h"
#include "GlCheck.h"
#include "MyDemo.h"
#include "Progress.h"
#include "RenderOptions.h"
#include "VideoEncoder.h"
#include "res_FrameCompare.h"
#include "res_Support.h"
#include "res_TempDir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool parse(std::vector<const char*> args, lb_render::RenderOptions* options, std::string* error) {
  args.insert(args.begin(), "lattice-bloom-render");
  return lb_render::parseOptions(static_cast<int>(args.size()), args.data(), options, error);
}

lb_render::Image uniformImage(int width, int height, unsigned char value) {
  lb_render::Image image;
  image.width = width;
  image.height = height;
  image.rgb.assign(static_cast<size_t>(width) * height * 3, value);
  return image;
}

using lb_test::compareFrames;
using lb_test::Difference;
using lb_test::kChannelTolerance;
using lb_test::kMaxDifferingShare;
using lb_test::readPng;

// The picture moved right by `dx` pixels, the first column repeated.
lb_render::Image shiftedRight(const lb_render::Image& image, int dx) {
  lb_render::Image moved = image;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const int from = std::max(0, x - dx);
      for (int c = 0; c < 3; ++c)
        moved.rgb[(static_cast<size_t>(y) * image.width + x) * 3 + c] =
            image.rgb[(static_cast<size_t>(y) * image.width + from) * 3 + c];
    }
  return moved;
}

struct ReferenceFrame {
  std::string scene;
  std::string seconds;  // as written in the list, passed to the renderer unchanged
  std::string file;
};

std::vector<ReferenceFrame> referenceFrames() {
  std::vector<ReferenceFrame> frames;
  std::ifstream in(std::string(LB_SOURCE_DIR) + "/tests/reference/frames.txt");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    ReferenceFrame frame;
    if (!(fields >> frame.scene) || frame.scene[0] == '#') continue;
    fields >> frame.seconds >> frame.file;
    frames.push_back(frame);
  }
  return frames;
}

std::string referencePath(const ReferenceFrame& frame) {
  return std::string(LB_SOURCE_DIR) + "/tests/reference/" + frame.file;
}

}  // namespace

// ---------------------------------------------------------------------------
// The frame sequence.

TEST(RenderSequence, FrameCountIsTheRoundedProductOfSpanAndRate) {
  EXPECT_EQ(lb_render::sequenceFrameCount(0, 130, 30), 3900u);  // the whole show
  EXPECT_EQ(lb_render::sequenceFrameCount(0, 130, 60), 7800u);
  EXPECT_EQ(lb_render::sequenceFrameCount(50, 52, 30), 60u);
  // Spans whose product with the rate is not whole: 3.7 rounds up, 3.3 down.
  EXPECT_EQ(lb_render::sequenceFrameCount(44, 44.37, 10), 4u);
  EXPECT_EQ(lb_render::sequenceFrameCount(50, 50.33, 10), 3u);
  // A tenth of a second at 24 fps is 2.4 frames.
  EXPECT_EQ(lb_render::sequenceFrameCount(1.0, 1.1, 24), 2u);
  EXPECT_EQ(lb_render::sequenceFrameCount(5, 5, 30), 0u);
  EXPECT_EQ(lb_render::sequenceFrameCount(6, 5, 30), 0u);
}

TEST(RenderSequence, FrameTimesLandExactlyOnWholeSecondsWithoutDrift) {
  // Frame 30 k at 30 fps is at exactly k seconds; adding 1/30 again and again
  // would drift off these values within a few seconds.
  for (int k = 0; k <= 130; ++k) EXPECT_EQ(lb_render::sequenceTime(0.0, 30, static_cast<size_t>(30 * k)), k);
  for (int k = 0; k <= 130; ++k) EXPECT_EQ(lb_render::sequenceTime(0.0, 60, static_cast<size_t>(60 * k)), k);
  EXPECT_EQ(lb_render::sequenceTime(42.5, 30, 0), 42.5);
  EXPECT_EQ(lb_render::sequenceTime(10.0, 4, 3), 10.75);  // quarters are exact in binary
}

TEST(RenderSequenceOptions, DefaultsCoverTheWholeShowAndValuesAreTaken) {
  lb_render::RenderOptions options;
  std::string error;
  ASSERT_TRUE(parse({"--fps", "30", "--out", "frames/"}, &options, &error)) << error;
  EXPECT_EQ(options.fps, 30);
  EXPECT_EQ(options.from, 0.0);
  EXPECT_EQ(options.to, 130.0);
  EXPECT_TRUE(options.video.empty());
  EXPECT_FALSE(options.checkGl);

  ASSERT_TRUE(parse({"--fps=60", "--from", "10", "--to=12.5", "--video", "a.mp4", "--size", "320x180", "--check-gl"},
                    &options, &error))
      << error;
  EXPECT_EQ(options.fps, 60);
  EXPECT_EQ(options.from, 10.0);
  EXPECT_EQ(options.to, 12.5);
  EXPECT_EQ(options.video, "a.mp4");
  EXPECT_TRUE(options.out.empty());
  EXPECT_TRUE(options.checkGl);

  ASSERT_TRUE(parse({"--contact-sheet", "sheet.png"}, &options, &error)) << error;
  EXPECT_EQ(options.contactSheet, "sheet.png");
  ASSERT_TRUE(parse({"--check-gl", "--at", "3", "--out", "a.png"}, &options, &error)) << error;
  EXPECT_TRUE(options.checkGl);
}

TEST(RenderSequenceOptions, RefusesContradictionsNamingTheArgument) {
  struct Case {
    std::vector<const char*> args;
    const char* named;  // must appear in the message
  };
  const std::vector<Case> cases = {
      {{"--fps", "0", "--out", "f/"}, "--fps"},
      {{"--fps", "1001", "--out", "f/"}, "--fps"},
      {{"--fps", "29.97", "--out", "f/"}, "'29.97'"},
      {{"--fps", "30"}, "--video"},
      {{"--fps", "30", "--from", "-1", "--out", "f/"}, "--from"},
      {{"--fps", "30", "--from", "5", "--to", "5", "--out", "f/"}, "--to"},
      {{"--fps", "30", "--from", "later", "--out", "f/"}, "'later'"},
      {{"--fps", "10", "--from", "1", "--to", "1.01", "--out", "f/"}, "no frames"},
      {{"--from", "3", "--at", "4", "--out", "a.png"}, "--fps"},
      {{"--video", "a.mp4", "--at", "4", "--out", "a.png"}, "--fps"},
      {{"--fps", "30", "--at", "4", "--out", "f/"}, "only one"},
      {{"--contact-sheet", "s.png", "--fps", "30", "--video", "a.mp4"}, "only one"},
      {{"--contact-sheet", "s.png", "--out", "a.png"}, "--out"},
      {{"--contact-sheet", ""}, "--contact-sheet"},
      {{"--check-gl=yes", "--at", "1", "--out", "a.png"}, "--check-gl"},
      {{"--size", "320x180"}, "--at"},
  };
  for (const Case& c : cases) {
    lb_render::RenderOptions options;
    std::string error;
    EXPECT_FALSE(parse(c.args, &options, &error)) << "accepted case #" << (&c - cases.data());
    EXPECT_NE(error.find(c.named), std::string::npos) << "case #" << (&c - cases.data()) << ": " << error;
  }
}

// Bars of the music where a time is taken: bar 33 is the greetings' cut at
// 61.692 s and the greetings' beats last 29.325 / 60 = 0.48875 s, so bars 33 to
// 40 (32 beats) end at 77.332 s, hand-computed.
TEST(RenderSequenceOptions, BarsGiveTimesAndToCountsToTheEndOfItsBar) {
  lb_render::RenderOptions options;
  std::string error;
  ASSERT_TRUE(parse({"--fps", "60", "--from", "b33", "--to", "b40", "--out", "f/"}, &options, &error)) << error;
  EXPECT_DOUBLE_EQ(options.from, 61.692);
  EXPECT_NEAR(options.to, 77.332, 1e-9);
  EXPECT_EQ(lb_render::sequenceFrameCount(options.from, options.to, options.fps), 938u);  // 15.64 s at 60 fps
  ASSERT_TRUE(parse({"--fps", "60", "--from", "b33.2", "--to", "b33.2", "--out", "f/"}, &options, &error)) << error;
  EXPECT_NEAR(options.from, 62.18075, 1e-9);
  EXPECT_NEAR(options.to, 62.6695, 1e-9);
  ASSERT_TRUE(parse({"--at", "b33", "--at", "12.5", "--at", "B1.3", "--out", "f/"}, &options, &error)) << error;
  ASSERT_EQ(options.times.size(), 3u);
  EXPECT_DOUBLE_EQ(options.times[0], 61.692);
  EXPECT_EQ(options.times[1], 12.5);
  EXPECT_NEAR(options.times[2], 2 * 0.4817, 1e-9);

  struct Case {
    std::vector<const char*> args;
    const char* named;  // must appear in the message
  };
  const std::vector<Case> cases = {
      {{"--at", "b70", "--out", "a.png"}, "--at 'b70': the show has 69 bars"},
      {{"--fps", "30", "--from", "b33.5", "--out", "f/"}, "--from 'b33.5': bar 33 has 4 beats"},
      {{"--fps", "30", "--to", "b", "--out", "f/"}, "--to 'b': b needs a bar number"},
      {{"--at", "33.1.1", "--out", "a.png"}, "--at needs seconds (such as 61.692) or a bar"},
      {{"--fps", "30", "--from", "b40", "--to", "b33", "--out", "f/"}, "must lie after --from"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(parse(c.args, &options, &error)) << "accepted case #" << (&c - cases.data());
    EXPECT_NE(error.find(c.named), std::string::npos) << "case #" << (&c - cases.data()) << ": " << error;
  }
}

TEST(RenderSequenceOptions, FolderOutputGetsFiveDigitUnderscoreNames) {
  lb_test::ResTempDir dir;
  std::vector<std::string> paths;
  std::string error;
  ASSERT_TRUE(lb_render::outputPaths(dir.path("seq/"), 3, "/", &paths, &error, lb_render::FolderNaming::kSequence))
      << error;
  EXPECT_EQ(paths, (std::vector<std::string>{dir.path("seq/frame_00000.png"), dir.path("seq/frame_00001.png"),
                                             dir.path("seq/frame_00002.png")}));
  struct stat info;
  EXPECT_EQ(stat(dir.path("seq").c_str(), &info), 0);
  // A pattern is honoured as it is for --at.
  ASSERT_TRUE(lb_render::outputPaths("/x/s%02d.png", 2, "/", &paths, &error, lb_render::FolderNaming::kSequence));
  EXPECT_EQ(paths, (std::vector<std::string>{"/x/s00.png", "/x/s01.png"}));
}

// ---------------------------------------------------------------------------
// Progress on standard error.

TEST(RenderProgress, LineShowsDoneRateAndTimeLeft) {
  // Half of 3900 frames in 100 s: 19.5 fps, 1950 frames left take 100 s.
  EXPECT_EQ(lb_render::formatProgress(1950, 3900, 100.0),
            "[############............] 1950/3900 frames  19.5 fps  1:40 left");
  EXPECT_EQ(lb_render::formatProgress(0, 3900, 0.0), "[........................]    0/3900 frames");
  EXPECT_EQ(lb_render::formatProgress(10, 10, 2.0), "[########################] 10/10 frames  5.0 fps  0:00 left");
  EXPECT_EQ(lb_render::formatSummary(3900, 200.0), "3900 frames in 200.0 s (19.5 fps)");
}

TEST(RenderProgress, NotATerminalGetsOnlyTheSummaryLine) {
  lb_test::ResTempDir dir;
  FILE* log = std::fopen(dir.path("log.txt").c_str(), "w+");
  ASSERT_NE(log, nullptr);
  lb_render::Progress progress(50, log, false);
  for (size_t i = 1; i <= 50; ++i) progress.update(i);
  progress.finish("render: ");
  std::fclose(log);
  std::ifstream in(dir.path("log.txt"));
  std::stringstream contents;
  contents << in.rdbuf();
  const std::string text = contents.str();
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_EQ(text.rfind("render: 50 frames in ", 0), 0u) << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
}

// ---------------------------------------------------------------------------
// Contact sheet.

TEST(ContactSheetLayout, DefaultFramesGiveFiveByTwo384x216Tiles) {
  const lb_render::SheetLayout layout = lb_render::contactSheetLayout(1280, 720, 10);
  EXPECT_EQ(layout.columns, 5);
  EXPECT_EQ(layout.rows, 2);
  EXPECT_EQ(layout.tileWidth, 384);
  EXPECT_EQ(layout.tileHeight, 216);
  EXPECT_EQ(layout.labelHeight, 24);
  EXPECT_EQ(layout.gap, 6);
  // 5 tiles and 6 gaps across; 2 tiles with their labels and 3 gaps down.
  EXPECT_EQ(layout.width, 5 * 384 + 6 * 6);
  EXPECT_EQ(layout.height, 2 * (216 + 24) + 3 * 6);
  EXPECT_EQ(layout.tileX(6), 6 + 384 + 6);
  EXPECT_EQ(layout.tileY(6), 6 + 216 + 24 + 6);
  // Every tile and its label lie inside the sheet.
  for (size_t i = 0; i < 10; ++i) {
    EXPECT_LE(layout.tileX(i) + layout.tileWidth + layout.gap, layout.width);
    EXPECT_LE(layout.tileY(i) + layout.tileHeight + layout.labelHeight + layout.gap, layout.height);
  }
}

TEST(ContactSheetScaling, EachPixelAveragesTheAreaItCovers) {
  // Three pixels into two: the first covers source pixels 0 and half of 1.
  lb_render::Image row = uniformImage(3, 1, 0);
  for (int c = 0; c < 3; ++c) {
    row.rgb[3 + c] = 90;
    row.rgb[6 + c] = 180;
  }
  lb_render::Image small;
  lb_render::downscale(row, 2, 1, &small);
  ASSERT_EQ(small.rgb.size(), 6u);
  EXPECT_EQ(small.rgb[0], 30);   // (0 * 1 + 90 * 0.5) / 1.5
  EXPECT_EQ(small.rgb[3], 150);  // (90 * 0.5 + 180 * 1) / 1.5

  // A one-pixel checkerboard halves to flat grey; a flat frame stays flat.
  lb_render::Image checker = uniformImage(4, 4, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      if ((x + y) % 2 == 0)
        for (int c = 0; c < 3; ++c) checker.rgb[(y * 4 + x) * 3 + c] = 255;
  lb_render::downscale(checker, 2, 2, &small);
  for (unsigned char v : small.rgb) EXPECT_EQ(v, 128);
  lb_render::downscale(uniformImage(1280, 720, 77), 384, 216, &small);
  EXPECT_EQ(small.width, 384);
  EXPECT_EQ(small.height, 216);
  EXPECT_TRUE(std::all_of(small.rgb.begin(), small.rgb.end(), [](unsigned char v) { return v == 77; }));
}

TEST(ContactSheetLabels, TextIsDrawnOnItsBaselineAndClippedAtTheTileEdge) {
  lb_render::LabelFont font;
  std::string error;
  ASSERT_TRUE(font.load(lb_render::defaultLabelFont(), 14, &error)) << error;
  EXPECT_GT(font.textWidth("M"), 0);
  EXPECT_GT(font.textWidth("MM"), font.textWidth("M"));

  lb_render::Image image = uniformImage(200, 40, 0);
  const unsigned char white[3] = {255, 255, 255};
  font.draw(&image, 4, 20, "GroupTitle  2.41 s", white, 60);
  int lit = 0, minY = 99, maxY = -1, maxX = -1;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x)
      if (image.rgb[(y * 200 + x) * 3] > 0) {
        ++lit;
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
        maxX = std::max(maxX, x);
      }
  EXPECT_GT(lit, 40);
  EXPECT_LT(maxX, 60);  // clipped at the right edge given
  // Capitals rise about 0.73 em above the baseline; 'p' descends below it.
  EXPECT_GE(minY, 20 - 14);
  EXPECT_LE(minY, 20 - 8);
  EXPECT_LE(maxY, 20 + 4);
}

class RenderGl : public lb_test::GlTest {};

TEST_F(RenderGl, ContactSheetHasTheTenScenesAtTheMiddlesOfTheirIntervals) {
  REQUIRE_DATA();
  MyDemo demo(kWidth, kHeight);
  demo.init();
  const std::vector<lb_render::SheetEntry> entries = lb_render::contactSheetEntries(demo);
  // Midpoints of the show's timeline, worked out by hand.
  const std::vector<std::pair<std::string, double>> expected = {
      {"GroupTitle", 2.4085},     {"MarchingCubes", 12.942}, {"BouncingCubes", 27.4835},
      {"BouncingCubes2", 37.9835}, {"Sinkhole", 51.8795},     {"Greetings", 76.3545},
      {"RobotCave", 94.5085},     {"RobotIntro", 100.238},   {"RobotRunning", 112.0575},
      {"FallingApart", 124.8195}};
  ASSERT_EQ(entries.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(entries[i].name, expected[i].first);
    EXPECT_NEAR(entries[i].t, expected[i].second, 1e-9) << expected[i].first;
  }
  EXPECT_EQ(lb_render::sheetLabel(4, entries[4]), "5  Sinkhole  51.88 s");
  EXPECT_EQ(lb_render::sheetLabel(9, entries[9]), "10  FallingApart  124.82 s");
}

TEST_F(RenderGl, ContactSheetPlacesScaledFramesAndLabelsInTheirCells) {
  const lb_render::SheetLayout layout = lb_render::contactSheetLayout(kWidth, kHeight, 10);
  lb_render::ContactSheet sheet(layout);
  lb_render::LabelFont font;
  std::string error;
  ASSERT_TRUE(font.load(lb_render::defaultLabelFont(), layout.fontPixels, &error)) << error;
  sheet.place(7, uniformImage(kWidth, kHeight, 200), "8  RobotIntro  100.24 s", &font);
  const lb_render::Image& image = sheet.image();
  ASSERT_EQ(image.width, layout.width);
  ASSERT_EQ(image.height, layout.height);
  auto at = [&](int x, int y) { return image.rgb[(static_cast<size_t>(y) * image.width + x) * 3]; };
  const int x0 = layout.tileX(7), y0 = layout.tileY(7);
  EXPECT_EQ(at(x0, y0), 200);
  EXPECT_EQ(at(x0 + layout.tileWidth - 1, y0 + layout.tileHeight - 1), 200);
  EXPECT_LT(at(x0 - 1, y0), 40);  // the gap keeps the background
  EXPECT_LT(at(layout.tileX(2), layout.tileY(2)), 40);  // an empty cell too
  int labelInk = 0;
  for (int y = y0 + layout.tileHeight; y < y0 + layout.tileHeight + layout.labelHeight; ++y)
    for (int x = x0; x < x0 + layout.tileWidth; ++x) labelInk += at(x, y) > 128;
  EXPECT_GT(labelInk, 20);
}

// ---------------------------------------------------------------------------
// GL errors.

TEST_F(RenderGl, GlErrorAfterAFrameIsReportedWithTheFrameTimeAndThenCleared) {
  lb_render::GlErrorCheck check;
  ASSERT_TRUE(check.start(false));
  std::string error;
  EXPECT_TRUE(check.check("loading", &error)) << error;
  glEnable(0x7FFF);  // no such capability
  EXPECT_FALSE(check.check("rendering " + lb_render::describeFrame(44.3), &error));
  EXPECT_NE(error.find("GL_INVALID_ENUM (0x0500)"), std::string::npos) << error;
  EXPECT_NE(error.find("the frame at t = 44.3 s"), std::string::npos) << error;
  EXPECT_TRUE(check.check("the next frame", &error)) << error;
}

TEST_F(RenderGl, DebugOutputCountsAnErrorOnceAcrossChecks) {
  lb_render::GlErrorCheck check;
  if (!check.start(true)) GTEST_SKIP() << "the driver offers no KHR_debug";
  std::string error;
  EXPECT_TRUE(check.check("before", &error)) << error;
  glBindTexture(GL_TEXTURE_2D, 987654);  // never generated: invalid operation in a core context
  EXPECT_FALSE(check.check("rendering " + lb_render::describeFrame(100.5), &error));
  EXPECT_NE(error.find("t = 100.5 s"), std::string::npos) << error;
  EXPECT_TRUE(check.check("after", &error)) << error;
  glDisable(GL_DEBUG_OUTPUT);
}

TEST_F(RenderGl, OverlappedReadBackHandsFramesOnInOrderAndUnchanged) {
  REQUIRE_DATA();
  MyDemo demo(kWidth, kHeight);
  demo.init();
  lb_render::FrameRenderer renderer(&demo, kWidth, kHeight);
  // Sinkhole keeps no state between frames, so the same clock values give the
  // same pictures however the frames are read back.
  lb_render::Image first, second, firstAlone, secondAlone;
  renderer.submit(50.0);
  renderer.submit(50.5);  // drawn while 50.0 is still in its pixel buffer
  EXPECT_EQ(renderer.pending(), 2u);
  renderer.collect(&first);
  renderer.collect(&second);
  EXPECT_EQ(renderer.pending(), 0u);
  renderer.render(50.0, &firstAlone);
  renderer.render(50.5, &secondAlone);
  ASSERT_EQ(first.rgb.size(), static_cast<size_t>(kWidth) * kHeight * 3);
  EXPECT_TRUE(first.rgb == firstAlone.rgb);
  EXPECT_TRUE(second.rgb == secondAlone.rgb);
  EXPECT_FALSE(first.rgb == second.rgb);  // half a second apart, the scene has moved
  // Rows top-first: the window's top row is the image's first row.
  renderer.submit(50.0);
  const std::vector<unsigned char> bottomFirst = lb_test::readPixels(kWidth, kHeight);
  renderer.collect(&first);
  for (int x = 0; x < kWidth; x += 37)
    for (int c = 0; c < 3; ++c) {
      ASSERT_EQ(first.rgb[static_cast<size_t>(x) * 3 + c], bottomFirst[((kHeight - 1) * kWidth + x) * 4 + c]);
      ASSERT_EQ(first.rgb[((kHeight - 1) * kWidth + x) * 3 + c], bottomFirst[static_cast<size_t>(x) * 4 + c]);
    }
}

// ---------------------------------------------------------------------------
// The ffmpeg child: found on PATH, its exit status reported.

TEST(RenderVideoChild, ProgramIsFoundOnlyWhenExecutable) {
  lb_test::ResTempDir dir;
  const std::string tool = dir.write("fake-encoder", "#!/bin/sh\nexit 0\n");
  dir.write("not-runnable", "data");
  ASSERT_EQ(chmod(tool.c_str(), 0755), 0);
  const char* saved = std::getenv("PATH");
  const std::string savedPath = saved != nullptr ? saved : "";
  const std::string folder = tool.substr(0, tool.rfind('/'));
  setenv("PATH", ("/nonexistent:" + folder).c_str(), 1);
  EXPECT_EQ(lb_render::findProgram("fake-encoder"), dir.path("fake-encoder"));
  EXPECT_EQ(lb_render::findProgram("not-runnable"), "");
  EXPECT_EQ(lb_render::findProgram("absent"), "");
  setenv("PATH", savedPath.c_str(), 1);
  EXPECT_EQ(lb_render::findProgram(tool), tool);  // a path is checked as it is
}

TEST(RenderVideoChild, FailingEncoderIsReportedWithItsExitStatusAndSucceedingOneIsNot) {
  lb_test::ResTempDir dir;
  // Stand-ins that read every frame and then exit with a chosen status.
  const std::string failing = dir.write("enc-fail", "#!/bin/sh\ncat >/dev/null\nexit 3\n");
  const std::string working = dir.write("enc-ok", "#!/bin/sh\ncat >/dev/null\nexit 0\n");
  ASSERT_EQ(chmod(failing.c_str(), 0755), 0);
  ASSERT_EQ(chmod(working.c_str(), 0755), 0);
  lb_render::VideoSettings settings;
  settings.output = dir.path("out.mp4");
  settings.music = "music.mp3";
  settings.width = 16;
  settings.height = 8;
  settings.fps = 30;
  settings.to = 1;
  const lb_render::Image frame = uniformImage(16, 8, 9);
  std::string error;

  settings.ffmpeg = failing;
  lb_render::VideoEncoder bad;
  ASSERT_TRUE(bad.start(settings, &error)) << error;
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(bad.write(frame, &error)) << error;
  EXPECT_FALSE(bad.finish(&error));
  EXPECT_NE(error.find("ffmpeg failed (exit status 3)"), std::string::npos) << error;
  EXPECT_NE(error.find(settings.output), std::string::npos) << error;

  settings.ffmpeg = working;
  lb_render::VideoEncoder good;
  ASSERT_TRUE(good.start(settings, &error)) << error;
  EXPECT_FALSE(good.write(uniformImage(8, 8, 0), &error));  // the wrong size is refused
  EXPECT_TRUE(good.write(frame, &error)) << error;
  EXPECT_TRUE(good.finish(&error)) << error;

  settings.ffmpeg = dir.path("missing-encoder");
  lb_render::VideoEncoder none;
  EXPECT_FALSE(none.start(settings, &error));
  EXPECT_NE(error.find("missing-encoder"), std::string::npos) << error;
}

TEST(RenderVideoChild, FramesReachTheEncoderWholeAndInOrder) {
  lb_test::ResTempDir dir;
  // A stand-in that keeps the bytes it is sent.
  const std::string keeper = dir.write("enc-keep", "#!/bin/sh\ncat >\"$LB_TEST_RAW\"\n");
  ASSERT_EQ(chmod(keeper.c_str(), 0755), 0);
  setenv("LB_TEST_RAW", dir.path("raw").c_str(), 1);
  lb_render::VideoSettings settings;
  settings.ffmpeg = keeper;
  settings.output = dir.path("out.mp4");
  settings.width = 64;
  settings.height = 36;
  settings.fps = 30;
  settings.to = 1;
  std::string error;
  lb_render::VideoEncoder encoder;
  ASSERT_TRUE(encoder.start(settings, &error)) << error;
  std::string expected;
  for (int i = 0; i < 7; ++i) {  // more frames than the queue holds
    lb_render::Image frame = uniformImage(64, 36, static_cast<unsigned char>(10 * i));
    frame.rgb[static_cast<size_t>(i)] = 255;  // each frame distinct in its first bytes, too
    expected.append(frame.rgb.begin(), frame.rgb.end());
    ASSERT_TRUE(encoder.write(frame, &error)) << error;
  }
  ASSERT_TRUE(encoder.finish(&error)) << error;
  unsetenv("LB_TEST_RAW");
  std::ifstream in(dir.path("raw"), std::ios::binary);
  const std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(got.size(), expected.size());
  EXPECT_TRUE(got == expected);
}

TEST(RenderVideoChild, EncoderThatStopsReadingFailsTheNextWritesInsteadOfHanging) {
  lb_test::ResTempDir dir;
  const std::string quitter = dir.write("enc-quit", "#!/bin/sh\nexit 4\n");
  ASSERT_EQ(chmod(quitter.c_str(), 0755), 0);
  lb_render::VideoSettings settings;
  settings.ffmpeg = quitter;
  settings.output = dir.path("out.mp4");
  settings.width = 640;  // frames far larger than a pipe's buffer
  settings.height = 360;
  settings.fps = 30;
  settings.to = 1;
  std::string error;
  lb_render::VideoEncoder encoder;
  ASSERT_TRUE(encoder.start(settings, &error)) << error;
  const lb_render::Image frame = uniformImage(640, 360, 1);
  bool failed = false;
  for (int i = 0; i < 50 && !failed; ++i) failed = !encoder.write(frame, &error);
  EXPECT_TRUE(failed);
  EXPECT_NE(error.find("ffmpeg stopped reading frames"), std::string::npos) << error;
  EXPECT_FALSE(encoder.finish(&error));
  EXPECT_NE(error.find("exit status 4"), std::string::npos) << error;
}

// ffmpeg that goes away with frames still queued, yet exits 0, made a short
// file: the frames the writer could not hand over make the video a failure.
TEST(RenderVideoChild, FramesLostAfterTheLastWriteFailTheVideoEvenWhenTheEncoderExitsWell) {
  lb_test::ResTempDir dir;
  // Reads nothing, then leaves with status 0 while the writer is still blocked
  // on the first frame.
  const std::string leaver = dir.write("enc-leave", "#!/bin/sh\nsleep 1\nexit 0\n");
  ASSERT_EQ(chmod(leaver.c_str(), 0755), 0);
  lb_render::VideoSettings settings;
  settings.ffmpeg = leaver;
  settings.output = dir.path("out.mp4");
  settings.width = 640;  // frames far larger than a pipe's buffer
  settings.height = 360;
  settings.fps = 30;
  settings.to = 1;
  std::string error;
  lb_render::VideoEncoder encoder;
  ASSERT_TRUE(encoder.start(settings, &error)) << error;
  const lb_render::Image frame = uniformImage(640, 360, 1);
  // Both fit the queue at once, long before the stand-in leaves.
  ASSERT_TRUE(encoder.write(frame, &error)) << error;
  ASSERT_TRUE(encoder.write(frame, &error)) << error;
  EXPECT_FALSE(encoder.finish(&error));
  EXPECT_NE(error.find("ffmpeg stopped reading frames"), std::string::npos) << error;
  EXPECT_NE(error.find("exit status 0"), std::string::npos) << error;
  EXPECT_NE(error.find(settings.output), std::string::npos) << error;
}

TEST(RenderVideoChild, PresetIsPassedToX264AndOnlyItsNamesAreAccepted) {
  lb_render::VideoSettings settings;
  settings.ffmpeg = "ffmpeg";
  EXPECT_EQ(settings.preset, "veryfast");
  settings.preset = "slower";
  const std::vector<std::string> args = lb_render::ffmpegArguments(settings);
  const auto at = std::find(args.begin(), args.end(), "-preset");
  ASSERT_NE(at, args.end());
  ASSERT_NE(at + 1, args.end());
  EXPECT_EQ(*(at + 1), "slower");
  EXPECT_LT(at - args.begin(), std::find(args.begin(), args.end(), "-c:a") - args.begin());  // a video option
  EXPECT_TRUE(lb_render::isX264Preset("ultrafast"));
  EXPECT_TRUE(lb_render::isX264Preset("veryslow"));
  EXPECT_FALSE(lb_render::isX264Preset("Medium"));
  EXPECT_FALSE(lb_render::isX264Preset(""));
  EXPECT_FALSE(lb_render::isX264Preset("fast "));
}

// ---------------------------------------------------------------------------
// Regression: one committed 160x90 frame per scene.

TEST(SceneReferences, ListNamesEverySceneOnceWithAnImage) {
  const std::vector<ReferenceFrame> frames = referenceFrames();
  ASSERT_EQ(frames.size(), 10u);
  for (const ReferenceFrame& frame : frames) {
    lb_render::Image image;
    std::string error;
    ASSERT_TRUE(readPng(referencePath(frame), &image, &error)) << error;
    EXPECT_EQ(image.width, 160) << frame.file;
    EXPECT_EQ(image.height, 90) << frame.file;
  }
}

TEST(SceneReferences, ToleranceSurvivesRoundingButCatchesAMoveOfTwoPixels) {
  for (const ReferenceFrame& frame : referenceFrames()) {
    lb_render::Image reference;
    std::string error;
    ASSERT_TRUE(readPng(referencePath(frame), &reference, &error)) << error;
    // Every channel off by up to 6 levels, as another rasteriser's rounding might be.
    lb_render::Image rounded = reference;
    for (size_t i = 0; i < rounded.rgb.size(); ++i) {
      const int offset = static_cast<int>(i * 7 % 13) - 6;
      rounded.rgb[i] = static_cast<unsigned char>(std::min(255, std::max(0, rounded.rgb[i] + offset)));
    }
    EXPECT_EQ(compareFrames(reference, rounded, kChannelTolerance).differing, 0u) << frame.scene;
    // Everything moved two pixels sideways: far more than the allowed share differs.
    const Difference moved = compareFrames(reference, shiftedRight(reference, 2), kChannelTolerance);
    EXPECT_GT(moved.share, 3 * kMaxDifferingShare) << frame.scene << ": the reference has too little detail";
  }
}

TEST(SceneReferences, FreshRendersMatchTheCommittedFrames) {
  REQUIRE_DATA();
  const std::vector<ReferenceFrame> frames = referenceFrames();
  ASSERT_FALSE(frames.empty());
  lb_test::ResTempDir dir;
  // One run in the list's order, as scripts/update-references.sh makes them.
  std::string command = std::string("'") + LB_BINARY_DIR + "/lattice-bloom-render' --size 160x90";
  for (const ReferenceFrame& frame : frames) command += " --at " + frame.seconds;
  command += " --out '" + dir.path("frame%d.png") + "' >'" + dir.path("log.txt") + "' 2>&1";
  const int status = std::system(command.c_str());
  std::ifstream logFile(dir.path("log.txt"));
  std::stringstream log;
  log << logFile.rdbuf();
  ASSERT_EQ(status, 0) << command << "\n" << log.str();

  for (size_t i = 0; i < frames.size(); ++i) {
    lb_render::Image reference, fresh;
    std::string error;
    ASSERT_TRUE(readPng(referencePath(frames[i]), &reference, &error)) << error;
    ASSERT_TRUE(readPng(dir.path("frame" + std::to_string(i) + ".png"), &fresh, &error)) << error;
    ASSERT_EQ(fresh.width, reference.width);
    ASSERT_EQ(fresh.height, reference.height);
    const Difference d = compareFrames(reference, fresh, kChannelTolerance);
    EXPECT_LE(d.share, kMaxDifferingShare)
        << frames[i].scene << " at t = " << frames[i].seconds << " s: " << d.differing << " pixels ("
        << 100 * d.share << "%) differ by more than " << kChannelTolerance << " levels (largest " << d.largest
        << "); if the change is intended, run scripts/update-references.sh and look at the new images";
  }
}
