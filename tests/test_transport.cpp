// The director's transport: clock arithmetic against hand-computed values, with
// the show's real cut times (0, 4.817, 21.067, ... 128).

#include "Transport.h"

#include <gtest/gtest.h>

namespace {

using lb_dev::SceneSpan;

std::vector<SceneSpan> showScenes() {
  return {{"GroupTitle", 0.0, 4.817},        {"MarchingCubes", 4.817, 21.067},   {"BouncingCubes", 21.067, 33.9},
          {"BouncingCubes2", 33.9, 42.067},  {"Sinkhole", 42.067, 61.692},       {"Greetings", 61.692, 91.017},
          {"RobotCave", 91.017, 98.0},       {"RobotIntro", 98.0, 102.476},      {"RobotRunning", 102.476, 121.639},
          {"FallingApart", 121.639, 128.0}};
}

const double kEps = 1e-9;

// Every case starts from a fresh transport over the show's scenes.
class Transport : public testing::Test {
 protected:
  // Plays from wall-clock `wall` and checks that `later` seconds on the show has
  // moved on from `show` by as much: playing counts from its own moment.
  void expectPlaysOnFrom(double wall, double show, double later) {
    transport.play(wall);
    EXPECT_NEAR(transport.update(wall + later), show + later, kEps);
  }

  lb_dev::Transport transport{showScenes()};
};

TEST_F(Transport, PlaysWithWallTimeAndHoldsStillWhilePaused) {
  transport.seek(10.0, 100.0);
  EXPECT_NEAR(transport.update(102.5), 12.5, kEps);
  transport.pause(103.0);
  EXPECT_NEAR(transport.time(), 13.0, kEps);
  EXPECT_NEAR(transport.update(200.0), 13.0, kEps);
  expectPlaysOnFrom(300.0, 13.0, 0.25);
}

TEST_F(Transport, SeekWhilePausedStaysPausedAndCountsAsAJump) {
  transport.seek(0.0, 0.0);
  transport.pause(1.0);
  const unsigned long jumps = transport.jumpCount();
  transport.seek(50.0, 5.0);
  EXPECT_FALSE(transport.playing());
  EXPECT_GT(transport.jumpCount(), jumps);
  EXPECT_NEAR(transport.update(9.0), 50.0, kEps);
  transport.seekBy(-1.0, 9.5);
  transport.seekBy(10.0, 9.6);
  EXPECT_NEAR(transport.update(20.0), 59.0, kEps);
  // Resuming counts from the moment of play, not from the seek.
  expectPlaysOnFrom(30.0, 59.0, 1.0);
}

TEST_F(Transport, RebaseRestartsTheCountWithoutAJump) {
  transport.seek(20.0, 0.0);
  const unsigned long jumps = transport.jumpCount();
  transport.rebase(0.3);  // the music took 0.3 s to move
  EXPECT_EQ(transport.jumpCount(), jumps);
  EXPECT_NEAR(transport.update(1.3), 21.0, kEps);
}

TEST_F(Transport, StepsOnTheSixtiethGridAcrossACut) {
  transport.seek(4.8, 0.0);  // frame 288 (4.8 s exactly)
  transport.pause(0.0);
  EXPECT_EQ(transport.frame(), 288);
  transport.step(1, 1.0);  // 289/60 = 4.81667 s: still the title
  EXPECT_NEAR(transport.time(), 289.0 / 60.0, kEps);
  EXPECT_EQ(transport.scenes()[transport.currentScene()].name, "GroupTitle");
  transport.step(1, 2.0);  // 290/60 = 4.83333 s: past the cut at 4.817
  EXPECT_NEAR(transport.time(), 290.0 / 60.0, kEps);
  EXPECT_EQ(transport.scenes()[transport.currentScene()].name, "MarchingCubes");
  EXPECT_EQ(transport.frame(), 290);
  transport.step(-1, 3.0);
  EXPECT_NEAR(transport.time(), 289.0 / 60.0, kEps);
  EXPECT_EQ(transport.currentScene(), 0);
}

TEST_F(Transport, StepFromBetweenFramesGoesToTheNeighbouringFrame) {
  transport.seek(50.005, 0.0);  // between frames 3000 (50.0) and 3001 (50.01667)
  transport.pause(0.0);
  transport.step(1, 0.0);
  EXPECT_NEAR(transport.time(), 3001.0 / 60.0, kEps);
  transport.seek(50.005, 0.0);
  transport.step(-1, 0.0);
  EXPECT_NEAR(transport.time(), 50.0, kEps);
}

TEST_F(Transport, StepOnlyActsWhilePaused) {
  transport.seek(10.0, 0.0);
  transport.step(1, 0.0);
  EXPECT_NEAR(transport.time(), 10.0, kEps);
}

TEST_F(Transport, LoopWrapsAtItsEnd) {
  ASSERT_TRUE(transport.setLoop(10.0, 12.0));
  transport.seek(11.5, 0.0);
  const unsigned long jumps = transport.jumpCount();
  EXPECT_NEAR(transport.update(0.4), 11.9, kEps);
  EXPECT_NEAR(transport.update(1.0), 10.5, kEps);  // 12.5 is 0.5 past the end
  EXPECT_GT(transport.jumpCount(), jumps);          // the music must follow
  EXPECT_NEAR(transport.update(2.0), 11.5, kEps);
  // Far past the end (a long stall): 10.5 + 4.7 = 15.2, 3.2 past 12, 1.2 into the loop.
  EXPECT_NEAR(transport.update(5.7), 11.2, 1e-6);
  EXPECT_TRUE(transport.playing());
}

TEST_F(Transport, LoopingTheCurrentSceneUsesItsSpan) {
  transport.seek(50.0, 0.0);
  transport.toggleSceneLoop();
  ASSERT_TRUE(transport.looping());
  EXPECT_DOUBLE_EQ(transport.loopStart(), 42.067);
  EXPECT_DOUBLE_EQ(transport.loopEnd(), 61.692);
  EXPECT_NEAR(transport.update(12.0), 42.067 + 0.308, 1e-6);  // 62.0 wraps by 0.308
  transport.toggleSceneLoop();
  EXPECT_FALSE(transport.looping());
}

TEST_F(Transport, ClampsToTheShowAndStopsAtItsEnd) {
  transport.seek(-5.0, 0.0);
  EXPECT_DOUBLE_EQ(transport.time(), 0.0);
  transport.seek(500.0, 0.0);
  EXPECT_DOUBLE_EQ(transport.time(), 130.0);
  transport.seek(129.5, 10.0);
  EXPECT_NEAR(transport.update(10.25), 129.75, kEps);
  EXPECT_DOUBLE_EQ(transport.update(11.0), 130.0);
  EXPECT_FALSE(transport.playing());
  EXPECT_DOUBLE_EQ(transport.update(20.0), 130.0);
  // Play at the end starts over.
  expectPlaysOnFrom(30.0, 0.0, 1.0);
  // Steps stop at both ends.
  transport.pause(31.0);
  transport.seek(0.0, 31.0);
  transport.step(-1, 31.0);
  EXPECT_DOUBLE_EQ(transport.time(), 0.0);
  transport.seek(130.0, 31.0);
  transport.step(1, 31.0);
  EXPECT_DOUBLE_EQ(transport.time(), 130.0);
}

TEST_F(Transport, RefusesEmptyLoopsAndClampsLoopEnds) {
  EXPECT_FALSE(transport.setLoop(5.0, 5.0));
  EXPECT_FALSE(transport.setLoop(7.0, 6.0));
  EXPECT_FALSE(transport.looping());
  EXPECT_TRUE(transport.setLoop(120.0, 200.0));
  EXPECT_DOUBLE_EQ(transport.loopEnd(), 130.0);
}

TEST_F(Transport, SceneKeysGoToTheNeighbouringScenesJustInsideTheirStart) {
  transport.seek(50.0, 0.0);  // Sinkhole
  transport.nextScene(0.0);
  EXPECT_DOUBLE_EQ(transport.time(), 61.692 + lb_dev::Transport::kEntry);
  EXPECT_EQ(transport.scenes()[transport.currentScene()].name, "Greetings");
  transport.previousScene(0.0);
  EXPECT_DOUBLE_EQ(transport.time(), 42.067 + lb_dev::Transport::kEntry);
  transport.previousScene(0.0);
  EXPECT_DOUBLE_EQ(transport.time(), 33.9 + lb_dev::Transport::kEntry);
  // From the silent tail after 128 s, back is the last scene; forward stays.
  transport.seek(129.0, 0.0);
  EXPECT_EQ(transport.currentScene(), -1);
  transport.nextScene(0.0);
  EXPECT_DOUBLE_EQ(transport.time(), 129.0);
  transport.previousScene(0.0);
  EXPECT_DOUBLE_EQ(transport.time(), 121.639 + lb_dev::Transport::kEntry);
  // The first scene's "previous" is its own start; the last one's "next" stays.
  transport.seek(2.0, 0.0);
  transport.previousScene(0.0);
  EXPECT_DOUBLE_EQ(transport.time(), lb_dev::Transport::kEntry);
  transport.seek(125.0, 0.0);
  transport.nextScene(0.0);
  EXPECT_DOUBLE_EQ(transport.time(), 125.0);
}

TEST_F(Transport, SceneAtTheCutIsTheOneStartingThere) {
  EXPECT_EQ(transport.sceneAt(4.817), 1);
  EXPECT_EQ(transport.sceneAt(4.8169), 0);
  EXPECT_EQ(transport.sceneAt(127.999), 9);
  EXPECT_EQ(transport.sceneAt(128.0), -1);
  EXPECT_EQ(transport.findScene("RobotIntro"), 7);
  EXPECT_EQ(transport.findScene("robotintro"), -1);
}

}  // namespace

// ---------------------------------------------------------------- the music's grid
// Hand-computed from the score: the greetings (bar 33 on) play 60 beats in
// 29.325 s, 0.48875 s each; the sinkhole before them 40 beats in 19.625 s.

TEST_F(Transport, BeatStepsLandOnBeatsAndStepOverTheCutJustInsideIt) {
  transport.seekToScene(5, 0.0);  // Greetings, the bookmark of key 6
  EXPECT_EQ(transport.position().bar, 33);
  EXPECT_EQ(transport.position().beat, 1);
  transport.stepBeats(1, 0.0);
  EXPECT_NEAR(transport.time(), 62.18075, kEps);
  transport.stepBeats(-1, 0.0);  // back onto the cut: inside the scene, as a scene jump lands
  EXPECT_DOUBLE_EQ(transport.time(), 61.692 + lb_dev::Transport::kEntry);
  transport.stepBeats(-1, 0.0);  // the sinkhole's last beat
  EXPECT_NEAR(transport.time(), 42.067 + 39 * 0.490625, kEps);
  EXPECT_EQ(transport.position().bar, 32);
  EXPECT_EQ(transport.position().beat, 4);
  transport.stepBeats(3, 0.0);
  EXPECT_NEAR(transport.time(), 61.692 + 2 * 0.48875, kEps);
}

TEST_F(Transport, BarStepsGoToDownbeatsAndBackFromInsideABarToItsOwn) {
  transport.seek(62.5, 0.0);  // bar 33, beat 2 and a bit
  transport.stepBars(1, 0.0);
  EXPECT_NEAR(transport.time(), 63.647, kEps);
  transport.seek(62.5, 0.0);
  transport.stepBars(-1, 0.0);
  EXPECT_DOUBLE_EQ(transport.time(), 61.692 + lb_dev::Transport::kEntry);
  transport.stepBars(-2, 0.0);  // bar 31, the sinkhole's ninth: its beat 32 of 40
  EXPECT_NEAR(transport.time(), 42.067 + 32 * 0.490625, kEps);
  // Steps seek while playing, and playing goes on from there.
  transport.play(0.0);
  transport.stepBars(1, 10.0);
  EXPECT_NEAR(transport.update(10.5), 42.067 + 36 * 0.490625 + 0.5, kEps);
  // They stop at both ends of the music.
  transport.seek(0.5, 20.0);
  transport.stepBars(-5, 20.0);
  EXPECT_DOUBLE_EQ(transport.time(), lb_dev::Transport::kEntry);  // 0 is the title's cut
  transport.seek(129.0, 20.0);
  transport.stepBars(3, 20.0);
  EXPECT_DOUBLE_EQ(transport.time(), 130.0);
}

TEST_F(Transport, BarLoopsCoverWholeBarsAndStopAtTheMusicsEnd) {
  ASSERT_TRUE(transport.loopBars(33, 4));
  EXPECT_DOUBLE_EQ(transport.loopStart(), 61.692);
  EXPECT_NEAR(transport.loopEnd(), 61.692 + 16 * 0.48875, kEps);
  transport.seek(69.4, 0.0);
  EXPECT_NEAR(transport.update(0.2), 61.692 + 0.088, 1e-6);  // 69.6 is 0.088 past 69.512
  ASSERT_TRUE(transport.loopBars(68, 4));  // the title card's bar and the last one
  EXPECT_DOUBLE_EQ(transport.loopStart(), 126.573);
  EXPECT_DOUBLE_EQ(transport.loopEnd(), 130.0);
  ASSERT_TRUE(transport.loopBars(70, 1));  // from the end: the last bar
  EXPECT_DOUBLE_EQ(transport.loopStart(), 128.0);
  EXPECT_FALSE(transport.loopBars(33, 0));
  EXPECT_DOUBLE_EQ(transport.loopStart(), 128.0);
}
