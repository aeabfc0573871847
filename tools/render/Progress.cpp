#include "Progress.h"

#include <cmath>

namespace lb_render {

namespace {
const int kBarCells = 24;
const double kRedrawInterval = 0.1;  // seconds between redraws of the bar
}  // namespace

std::string formatProgress(size_t done, size_t total, double elapsedSeconds) {
  const double fraction = total == 0 ? 1.0 : static_cast<double>(done > total ? total : done) / total;
  const int filled = static_cast<int>(fraction * kBarCells);
  std::string line = "[" + std::string(static_cast<size_t>(filled), '#') +
                     std::string(static_cast<size_t>(kBarCells - filled), '.') + "]";
  char text[128];
  std::snprintf(text, sizeof text, " %*zu/%zu frames", static_cast<int>(std::to_string(total).size()), done, total);
  line += text;
  if (done > 0 && elapsedSeconds > 0) {
    const double rate = done / elapsedSeconds;
    const double left = done >= total ? 0.0 : (total - done) / rate;
    const long seconds = std::lround(left);
    std::snprintf(text, sizeof text, "  %.1f fps  %ld:%02ld left", rate, seconds / 60, seconds % 60);
    line += text;
  }
  return line;
}

std::string formatSummary(size_t frames, double elapsedSeconds) {
  char text[128];
  if (elapsedSeconds > 0)
    std::snprintf(text, sizeof text, "%zu frames in %.1f s (%.1f fps)", frames, elapsedSeconds,
                  frames / elapsedSeconds);
  else
    std::snprintf(text, sizeof text, "%zu frames in %.1f s", frames, elapsedSeconds);
  return text;
}

Progress::Progress(size_t total, FILE* stream, bool interactive)
    : total_(total), stream_(stream), interactive_(interactive), start_(std::chrono::steady_clock::now()) {}

double Progress::elapsed() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void Progress::update(size_t done) {
  done_ = done;
  if (!interactive_) return;
  const double now = elapsed();
  if (done < total_ && lastDraw_ >= 0 && now - lastDraw_ < kRedrawInterval) return;
  lastDraw_ = now;
  // Carriage return and erase-to-end-of-line redraw the bar on the same line.
  std::fprintf(stream_, "\r%s\033[K", formatProgress(done, total_, now).c_str());
  std::fflush(stream_);
  drawn_ = true;
}

void Progress::clear() {
  if (!drawn_) return;
  std::fprintf(stream_, "\r\033[K");
  std::fflush(stream_);
  drawn_ = false;
  lastDraw_ = -1.0;
}

void Progress::finish(const std::string& prefix) {
  if (drawn_) std::fputc('\n', stream_);
  std::fprintf(stream_, "%s%s\n", prefix.c_str(), formatSummary(done_, elapsed()).c_str());
  std::fflush(stream_);
  drawn_ = false;
}

}  // namespace lb_render
