#pragma once
// Progress of a run of several frames on standard error: a bar redrawn in place
// when standard error is a terminal, and otherwise (a log, a pipe, a test) no
// output per frame, only one summary line at the end.

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>

namespace lb_render {

// One line of the bar, without a line ending: a 24-cell bar, frames done of the
// total, frames per second and the estimated time left (minutes:seconds), e.g.
// "[##########..............]  1620/3900 frames  14.2 fps  2:41 left".
// Rate and time left are left out while nothing is done or no time has passed.
std::string formatProgress(size_t done, size_t total, double elapsedSeconds);

// The closing line: "3900 frames in 274.1 s (14.2 fps)".
std::string formatSummary(size_t frames, double elapsedSeconds);

class Progress {
 public:
  // `interactive`: redraw the bar after every frame (standard error is a terminal).
  Progress(size_t total, FILE* stream, bool interactive);

  // Records that `done` frames are finished; redraws the bar when interactive
  // (at most about ten times a second, and always for the last frame).
  void update(size_t done);

  // Erases the bar, so that a line printed to the same terminal starts clean;
  // the next update draws it again.
  void clear();

  // Ends the bar's line and prints the summary, prefixed with `prefix`.
  void finish(const std::string& prefix);

 private:
  double elapsed() const;

  size_t total_;
  size_t done_ = 0;
  FILE* stream_;
  bool interactive_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point start_;
  double lastDraw_ = -1.0;  // seconds since start_
};

}  // namespace lb_render
