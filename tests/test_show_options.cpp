// The show's options for those who present it: what each takes, what it
// refuses (one line naming the option and the value), the defaults of a plain
// start, and where a scaled full-screen picture lands.

#include "ScaledScreen.h"
#include "ShowOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using lb_show::Parsed;
using lb_show::ShowOptions;
using lb_show::Vsync;

Parsed parse(std::vector<const char*> args, ShowOptions* options, std::string* error) {
  args.insert(args.begin(), "lattice-bloom");
  return lb_show::parseShowOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(ShowOptions, NoOptionIsTheCompetitionSetting) {
  ShowOptions o;
  std::string error;
  ASSERT_EQ(parse({}, &o, &error), Parsed::kPlay) << error;
  EXPECT_FALSE(o.windowed);
  EXPECT_FALSE(o.sized());
  EXPECT_EQ(o.display, 0);
  EXPECT_EQ(o.vsync, Vsync::kPlatformDefault);
  EXPECT_FALSE(o.loop);
  EXPECT_FALSE(o.mute);
  EXPECT_EQ(o.startAt, 0.0);
}

TEST(ShowOptions, ReadsEveryOptionAndTheWindowedDefaultSize) {
  ShowOptions o;
  std::string error;
  ASSERT_EQ(parse({"--windowed", "--size", "800x450", "--display=1", "--vsync", "off", "--loop", "--mute"}, &o, &error),
            Parsed::kPlay)
      << error;
  EXPECT_TRUE(o.windowed && o.loop && o.mute);
  EXPECT_EQ(o.width, 800);
  EXPECT_EQ(o.height, 450);
  EXPECT_EQ(o.display, 1);
  EXPECT_EQ(o.vsync, Vsync::kOff);

  ShowOptions w;
  ASSERT_EQ(parse({"--windowed", "--vsync=on"}, &w, &error), Parsed::kPlay) << error;
  EXPECT_EQ(w.width, 1280);
  EXPECT_EQ(w.height, 720);
  EXPECT_EQ(w.vsync, Vsync::kOn);

  ShowOptions f;  // full screen with a size: the size is the drawing size
  ASSERT_EQ(parse({"--size", "1920X1080"}, &f, &error), Parsed::kPlay) << error;
  EXPECT_FALSE(f.windowed);
  EXPECT_EQ(f.width, 1920);
  EXPECT_EQ(f.height, 1080);
}

TEST(ShowOptions, RefusesWrongValuesWithOneLineNamingThem) {
  const std::vector<std::vector<const char*>> wrong = {
      {"--size", "0x0"},     {"--size", "banana"},   {"--size", "800x"},  {"--size", "x450"},
      {"--size", "15x200"},  {"--size", "9000x100"}, {"--size", "-8x9"},  {"--size", "800x450x2"},
      {"--size", ""},        {"--display", "-1"},    {"--display", "one"}, {"--display", "1.5"},
      {"--vsync", "maybe"},  {"--vsync", "1"},       {"--vsync", "ON "},
  };
  for (const auto& args : wrong) {
    ShowOptions o;
    std::string error;
    EXPECT_EQ(parse(args, &o, &error), Parsed::kValueError) << args[0] << " " << args[1];
    EXPECT_NE(error.find(args[0]), std::string::npos) << error;
    const bool named = error.find(std::string("'") + args[1] + "'") != std::string::npos ||
                       error.find(std::string(" ") + args[1] + ":") != std::string::npos;
    EXPECT_TRUE(named) << "the value is not named: " << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
  ShowOptions o;
  std::string error;
  EXPECT_EQ(parse({"--fullscreen"}, &o, &error), Parsed::kSyntaxError);
  EXPECT_EQ(parse({"--size"}, &o, &error), Parsed::kSyntaxError);
  EXPECT_EQ(parse({"--loop=yes"}, &o, &error), Parsed::kSyntaxError);
}

TEST(ShowOptions, HelpListsThePresentersOptionsButNotTheTestHook) {
  const std::string help = lb_show::showHelp();
  for (const char* option : {"--windowed", "--size", "--display", "--vsync", "--loop", "--mute", "--version"})
    EXPECT_NE(help.find(option), std::string::npos) << option;
  EXPECT_EQ(help.find("--start-at"), std::string::npos);
  ShowOptions o;
  std::string error;
  ASSERT_EQ(parse({"--start-at", "126.5"}, &o, &error), Parsed::kPlay) << error;
  EXPECT_EQ(o.startAt, 126.5);
}

// Hand-computed placements on a 1280x720 screen and a 4:3 one.
TEST(ScaledScreen, LetterboxKeepsTheAspectAndCentres) {
  auto expect = [](lb_show::Rect r, int x, int y, int w, int h) {
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.width, w);
    EXPECT_EQ(r.height, h);
  };
  expect(lb_show::letterbox(640, 360, 1280, 720), 0, 0, 1280, 720);      // same shape: fills it
  expect(lb_show::letterbox(640, 480, 1280, 720), 160, 0, 960, 720);     // 4:3 on 16:9: bars left and right
  expect(lb_show::letterbox(1920, 1080, 1024, 768), 0, 96, 1024, 576);   // 16:9 on 4:3: bars above and below
  expect(lb_show::letterbox(1680, 720, 1920, 1080), 0, 128, 1920, 823);  // 21:9: 822.9 high, (1080 - 823) / 2
}

}  // namespace
