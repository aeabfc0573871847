#pragma once
// The director's transport: where the show's clock stands and how it moves
// (play, pause, seek, frame steps, a loop), as plain arithmetic on seconds.
// It reads no clock and touches neither GL nor SDL: the caller passes the
// wall-clock time ("now", seconds on any monotonic scale) into every call that
// depends on it, so the tests can drive it with made-up instants.
//
// The show's clock runs from 0 to kShowEnd. Playing past the end stops there
// (or wraps, when a loop is set). Every jump of the clock that the music must
// follow (a seek, a step, a wrap, a resume) increments jumpCount().
//
// It also knows the music's grid of bars and beats (MusicGrid.h), for steps
// and loops in the music's own units.

#include "MusicGrid.h"

#include <string>
#include <vector>

namespace lb_dev {

// One scene's span of the show clock, as the scene itself declares it: active
// on the open interval (start, end).
struct SceneSpan {
  std::string name;
  double start = 0.0;
  double end = 0.0;
};

class Transport {
 public:
  static constexpr double kShowEnd = 130.0;    // seconds; the show stops after this
  static constexpr double kFrame = 1.0 / 60.0;  // one step of `,` and `.`
  // Scenes are active on open intervals, so at a cut itself nothing draws:
  // jumps to a scene's start land this far (1 ms) inside it.
  static constexpr double kEntry = 0.001;

  // Within this much of a beat (2 ms, a tenth of a frame) the clock counts as
  // on it: a jump to a scene's start lands kEntry after its downbeat.
  static constexpr double kOnGrid = 2 * kEntry;

  // `scenes` in playing order; starts at 0, playing.
  explicit Transport(std::vector<SceneSpan> scenes, lb_music::MusicGrid grid = lb_music::MusicGrid());

  // The clock at wall time `now`. While playing this advances the clock, wraps
  // it at the loop's end and stops it at kShowEnd.
  double update(double now);
  double time() const { return t_; }
  bool playing() const { return playing_; }
  unsigned long jumpCount() const { return jumps_; }

  void play(double now);
  void pause(double now);
  void togglePause(double now);
  // Moves the clock to `t`, clamped to [0, kShowEnd]; keeps playing or paused.
  void seek(double t, double now);
  void seekBy(double seconds, double now) { seek(t_ + seconds, now); }
  // Keeps the clock where it is but counts from wall time `now` on: after the
  // music has been moved (which may take a while), so that picture and sound
  // start together. Not a jump.
  void rebase(double now);
  // One frame on the 1/60 s grid (frame k is k/60 s): `frames` = +1 goes to the
  // next grid instant after the clock, -1 to the one before it. Only while paused.
  void step(int frames, double now);
  // The frame number of the clock on the 1/60 s grid.
  long frame() const;

  // Beat and bar steps: `count` beats (bars) forward from the last beat
  // (downbeat) at or before the clock, or back from the first one at or after
  // it; so one step back from inside a bar reaches its downbeat. They seek,
  // playing or paused. A step that lands on a scene's start lands kEntry inside
  // the scene, as a scene jump does.
  void stepBeats(int count, double now) { stepOn(grid_.beatInstants(), count, now); }
  void stepBars(int count, double now) { stepOn(grid_.downbeats(), count, now); }
  const lb_music::MusicGrid& grid() const { return grid_; }
  lb_music::GridPosition position() const { return grid_.positionAt(t_); }

  // The scene whose interval holds the clock, or the one that starts at it; -1
  // before the first start or after the last end.
  int sceneAt(double t) const;
  int currentScene() const { return sceneAt(t_); }
  // Page Down / Page Up: the next scene's start, the previous scene's start.
  // From after the last scene, "previous" is the last scene.
  void nextScene(double now);
  void previousScene(double now);
  void seekToScene(int index, double now);
  const std::vector<SceneSpan>& scenes() const { return scenes_; }
  // The index of the scene called `name`, or -1.
  int findScene(const std::string& name) const;

  // Loops [a, b): when the playing clock reaches b it continues from a. a < b
  // after clamping to [0, kShowEnd], or the call returns false and changes nothing.
  bool setLoop(double a, double b);
  void clearLoop() { looping_ = false; }
  // `L`: loops the current scene, or clears the loop when one is set.
  void toggleSceneLoop();
  // Loops `count` whole bars from bar `bar` (1-based; the last bar at and after
  // the music's end); the loop stops at the music's end at the latest.
  bool loopBars(int bar, int count);
  bool looping() const { return looping_; }
  double loopStart() const { return loopA_; }
  double loopEnd() const { return loopB_; }

 private:
  void jumpTo(double t, double now);
  void stepOn(const std::vector<double>& instants, int count, double now);

  std::vector<SceneSpan> scenes_;
  lb_music::MusicGrid grid_;
  double t_ = 0.0;
  double anchorT_ = 0.0;    // clock value at wall time anchorNow_ while playing
  double anchorNow_ = 0.0;
  bool playing_ = true;
  bool started_ = false;    // the first update() takes its `now` as the anchor
  bool looping_ = false;
  double loopA_ = 0.0;
  double loopB_ = 0.0;
  unsigned long jumps_ = 0;
};

}  // namespace lb_dev
