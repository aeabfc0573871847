// The music's grid of bars and beats: the bar table against hand-counted
// values from the score's beat counts, exact round trips between grid instants
// and positions, and the bar notation's readings and refusals.

#include "MusicGrid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using lb_music::GridEdge;
using lb_music::GridSpan;
using lb_music::MusicGrid;

const double kEps = 1e-9;

// Hand-counted from the beat counts 10, 32, 26, 16, 40, 60, 14, 9, 38, 10, 3, 4:
// bars of four beats, a short bar closing each section whose count is not a
// multiple of four, and a new bar at every section.
TEST(MusicGrid, BarsRestartAtEverySectionAndShortBarsCloseUnevenOnes) {
  const MusicGrid grid;
  ASSERT_EQ(grid.barCount(), 69);
  struct Bar {
    int bar;
    double start;  // seconds, computed by hand from the section's span and beats
    int beats;
  };
  const Bar bars[] = {
      {1, 0.0, 4},
      {3, 8 * 4.817 / 10, 2},                  // the title's 10 beats: 4 + 4 + 2
      {4, 4.817, 4},                           // the marching cubes' cut
      {18, 21.067 + 24 * 12.833 / 26, 2},      // the tunnel's 26 beats end on 2
      {33, 61.692, 4},                         // the greetings' cut
      {34, 63.647, 4},                         // 61.692 + 4 * 29.325 / 60
      {54, 98.0 + 8 * 4.476 / 9, 1},           // the robot intro's ninth beat alone
      {68, 126.573, 3},                        // the title card
      {69, 128.0, 4},
  };
  for (const Bar& b : bars) {
    EXPECT_NEAR(grid.barStart(b.bar), b.start, kEps) << "bar " << b.bar;
    EXPECT_EQ(grid.beatsInBar(b.bar), b.beats) << "bar " << b.bar;
  }
  EXPECT_EQ(grid.barStart(70), 130.0);  // the end of the music
  EXPECT_NEAR(grid.beatTime(33, 2), 62.18075, kEps);
  EXPECT_EQ(grid.sections()[grid.positionAt(62.0).section].name, "greetings");
}

TEST(MusicGrid, EveryBeatConvertsToSecondsAndBackExactly) {
  const MusicGrid grid;
  int beats = 0;
  for (int bar = 1; bar <= grid.barCount(); ++bar) {
    for (int beat = 1; beat <= grid.beatsInBar(bar); ++beat, ++beats) {
      const lb_music::GridPosition at = grid.positionAt(grid.beatTime(bar, beat));
      EXPECT_EQ(at.bar, bar);
      EXPECT_EQ(at.beat, beat) << "bar " << bar;
      EXPECT_EQ(at.fraction, 0.0) << "bar " << bar << " beat " << beat;
    }
    EXPECT_EQ(grid.barStartingAt(grid.barStart(bar)), bar);
    // The last representable instant before a downbeat is still the bar before.
    const double before = std::nextafter(grid.barStart(bar), -1.0);
    if (bar > 1) {
      EXPECT_EQ(grid.positionAt(before).bar, bar - 1);
    }
  }
  EXPECT_EQ(beats, 262);  // the score's beats, all of them
  EXPECT_EQ(grid.barStartingAt(62.0), 0);
  EXPECT_EQ(grid.barStartingAt(130.0), 70);
  // Half way through a beat, and past the end of the music.
  const lb_music::GridPosition half = grid.positionAt((grid.beatTime(33, 2) + grid.beatTime(33, 3)) / 2);
  EXPECT_EQ(half.beat, 2);
  EXPECT_NEAR(half.fraction, 0.5, 1e-9);
  EXPECT_EQ(grid.positionAt(130.0).bar, 70);
  EXPECT_EQ(grid.positionAt(-1.0).bar, 1);
}

TEST(MusicGridNotation, BarsAndBeatsReadAsTheSpansTheyCover) {
  const MusicGrid grid;
  struct Case {
    const char* text;
    double start, end;  // hand-computed seconds
  };
  const Case cases[] = {
      {"b33", 61.692, 63.647},
      {"B33", 61.692, 63.647},
      {"b33.2", 62.18075, 62.6695},
      {"b33.4", 63.15825, 63.647},  // the last beat ends on the next downbeat
      {"b1", 0.0, 4 * 0.4817},
      {"b68.3", 126.573 + 2 * 1.427 / 3, 128.0},
      {"b69", 128.0, 130.0},
  };
  for (const Case& c : cases) {
    GridSpan span;
    std::string error;
    ASSERT_TRUE(grid.parse(c.text, &span, &error)) << c.text << ": " << error;
    EXPECT_NEAR(span.start, c.start, kEps) << c.text;
    EXPECT_NEAR(span.end, c.end, kEps) << c.text;
  }
}

TEST(MusicGridNotation, RefusalsNameTheTextAndTheProblem) {
  const MusicGrid grid;
  struct Case {
    const char* text;
    const char* named;  // must appear in the message
  };
  const Case cases[] = {
      {"b", "bar number"},        {"bx", "bar number"},          {"b-3", "bar number"},
      {"b 33", "bar number"},     {"b1234567", "bar number"},    {"b0", "69 bars"},
      {"b70", "69 bars"},         {"b33.", "whole number"},      {"b33.0", "whole number"},
      {"b33.2.5", "whole number"}, {"b33.x", "whole number"},    {"b33.5", "bar 33 has 4 beats"},
      {"b54.2", "bar 54 has 1 beat"}, {"33", "not a bar"},
  };
  for (const Case& c : cases) {
    GridSpan span;
    std::string error;
    EXPECT_FALSE(grid.parse(c.text, &span, &error)) << "accepted " << c.text;
    EXPECT_NE(error.find(c.named), std::string::npos) << c.text << ": " << error;
    EXPECT_NE(error.find(std::string("'") + c.text + "'"), std::string::npos) << c.text << ": " << error;
  }
}

TEST(MusicGridNotation, ClockValuesAreSecondsOrBarsWithTheEdgeAsked) {
  double seconds = -1.0;
  std::string error;
  ASSERT_TRUE(lb_music::readClock("61.692", GridEdge::kEnd, &seconds, &error)) << error;
  EXPECT_EQ(seconds, 61.692);
  ASSERT_TRUE(lb_music::readClock("b40", GridEdge::kStart, &seconds, &error)) << error;
  EXPECT_NEAR(seconds, 61.692 + 28 * 0.48875, kEps);
  ASSERT_TRUE(lb_music::readClock("b40", GridEdge::kEnd, &seconds, &error)) << error;
  EXPECT_NEAR(seconds, 77.332, kEps);  // the end of bar 40 is the downbeat of 41
  for (const char* bad : {"", "later", "1e999", "12s", "nan"}) {
    EXPECT_FALSE(lb_music::readClock(bad, GridEdge::kStart, &seconds, &error)) << "accepted " << bad;
    EXPECT_NE(error.find(std::string("not '") + bad + "'"), std::string::npos) << error;
  }
}

}  // namespace
