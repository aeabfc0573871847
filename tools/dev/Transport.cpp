#include "Transport.h"

#include <algorithm>
#include <cmath>

namespace lb_dev {

namespace {

// Clock values are sums of user steps and wall-time differences; a frame
// instant k/60 may come out a hair below or above k * (1/60). Grid arithmetic
// treats anything within a millionth of a frame as on the grid.
const double kGridTolerance = 1e-6;

double clampToShow(double t) { return std::min(std::max(t, 0.0), Transport::kShowEnd); }

}  // namespace

Transport::Transport(std::vector<SceneSpan> scenes, lb_music::MusicGrid grid)
    : scenes_(std::move(scenes)), grid_(std::move(grid)) {}

double Transport::update(double now) {
  if (!started_) {
    started_ = true;
    anchorT_ = t_;
    anchorNow_ = now;
  }
  if (!playing_) return t_;
  t_ = anchorT_ + (now - anchorNow_);
  if (looping_ && t_ >= loopB_) {
    // Continue from the loop's start by the time run past its end.
    const double over = std::fmod(t_ - loopB_, loopB_ - loopA_);
    jumpTo(loopA_ + over, now);
  } else if (t_ >= kShowEnd) {
    t_ = kShowEnd;
    playing_ = false;
  }
  return t_;
}

void Transport::jumpTo(double t, double now) {
  t_ = clampToShow(t);
  anchorT_ = t_;
  anchorNow_ = now;
  started_ = true;
  ++jumps_;
}

void Transport::play(double now) {
  if (playing_) return;
  // Play at the very end starts the show again, as a media player does.
  const double from = t_ >= kShowEnd && !looping_ ? 0.0 : t_;
  playing_ = true;
  jumpTo(from, now);
}

void Transport::pause(double now) {
  if (!playing_) return;
  update(now);
  playing_ = false;
}

void Transport::togglePause(double now) {
  if (playing_) {
    pause(now);
  } else {
    play(now);
  }
}

void Transport::seek(double t, double now) { jumpTo(t, now); }

void Transport::rebase(double now) {
  anchorT_ = t_;
  anchorNow_ = now;
  started_ = true;
}

void Transport::step(int frames, double now) {
  if (playing_ || frames == 0) return;
  const double position = t_ / kFrame;
  // From between two grid instants, one step reaches the neighbouring one.
  const double k = frames > 0 ? std::floor(position + kGridTolerance) + frames
                              : std::ceil(position - kGridTolerance) + frames;
  jumpTo(k * kFrame, now);
}

void Transport::stepOn(const std::vector<double>& instants, int count, double now) {
  if (instants.empty() || count == 0) return;
  // The last instant at or before the clock, or just after it within kOnGrid.
  const long at = static_cast<long>(std::upper_bound(instants.begin(), instants.end(), t_ + kOnGrid) - instants.begin()) - 1;
  const bool on = at >= 0 && std::fabs(t_ - instants[at]) <= kOnGrid;
  const long from = count > 0 || on ? at : at + 1;
  const long last = static_cast<long>(instants.size()) - 1;
  const double target = instants[std::min(std::max(from + count, 0L), last)];
  const bool cut = std::any_of(scenes_.begin(), scenes_.end(), [&](const SceneSpan& s) { return s.start == target; });
  jumpTo(cut ? target + kEntry : target, now);
}

long Transport::frame() const { return static_cast<long>(std::floor(t_ / kFrame + kGridTolerance)); }

int Transport::sceneAt(double t) const {
  for (size_t i = 0; i < scenes_.size(); ++i) {
    if (t >= scenes_[i].start && t < scenes_[i].end) return static_cast<int>(i);
  }
  return -1;
}

int Transport::findScene(const std::string& name) const {
  for (size_t i = 0; i < scenes_.size(); ++i) {
    if (scenes_[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

void Transport::seekToScene(int index, double now) {
  if (index < 0 || index >= static_cast<int>(scenes_.size())) return;
  seek(scenes_[index].start + kEntry, now);
}

void Transport::nextScene(double now) {
  if (scenes_.empty()) return;
  const int current = currentScene();
  if (current >= 0) {
    seekToScene(current + 1, now);
  } else if (t_ < scenes_.front().start) {
    seekToScene(0, now);
  }
}

void Transport::previousScene(double now) {
  if (scenes_.empty()) return;
  const int current = currentScene();
  if (current > 0) {
    seekToScene(current - 1, now);
  } else if (current == 0) {
    seekToScene(0, now);
  } else if (t_ >= scenes_.back().end) {
    seekToScene(static_cast<int>(scenes_.size()) - 1, now);
  }
}

bool Transport::setLoop(double a, double b) {
  a = clampToShow(a);
  b = clampToShow(b);
  if (!(a < b)) return false;
  looping_ = true;
  loopA_ = a;
  loopB_ = b;
  return true;
}

bool Transport::loopBars(int bar, int count) {
  if (grid_.barCount() == 0 || count < 1) return false;
  bar = std::min(std::max(bar, 1), grid_.barCount());
  return setLoop(grid_.barStart(bar), grid_.barStart(std::min(bar + count, grid_.barCount() + 1)));
}

void Transport::toggleSceneLoop() {
  if (looping_) {
    looping_ = false;
    return;
  }
  const int current = currentScene();
  if (current >= 0) setLoop(scenes_[current].start, scenes_[current].end);
}

}  // namespace lb_dev
