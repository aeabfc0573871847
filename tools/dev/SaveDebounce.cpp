#include "SaveDebounce.h"

#include <utility>

namespace lb_dev {

SaveDebounce::SaveDebounce(Probe complete, double quietSeconds, double giveUpSeconds)
    : complete_(std::move(complete)), quiet_(quietSeconds), giveUp_(giveUpSeconds) {}

void SaveDebounce::note(const std::string& path, double now) {
  for (Pending& p : pending_) {
    if (p.path == path) {
      p.last = now;
      p.held = false;  // a new write: the quiet interval starts again anyway
      return;
    }
  }
  pending_.push_back({path, now, false});
}

std::vector<std::string> SaveDebounce::settled(double now) {
  std::vector<std::string> done;
  std::vector<Pending> still;
  for (Pending& p : pending_) {
    const double quietFor = now - p.last;
    if (quietFor < quiet_) {
      still.push_back(std::move(p));
    } else if (quietFor >= giveUp_) {
      done.push_back(std::move(p.path));
    } else if (!complete_(p.path)) {
      p.held = true;
      still.push_back(std::move(p));
    } else if (p.held) {
      // Whole just now: the writer closed it. Quiet from here on, then hand on.
      p.held = false;
      p.last = now;
      still.push_back(std::move(p));
    } else {
      done.push_back(std::move(p.path));
    }
  }
  pending_.swap(still);
  return done;
}

}  // namespace lb_dev
