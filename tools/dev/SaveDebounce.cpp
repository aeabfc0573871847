#include "SaveDebounce.h"

#include <utility>

namespace lb_dev {

SaveDebounce::SaveDebounce(Probe complete, double quietSeconds, double giveUpSeconds)
    : complete_(std::move(complete)), quiet_(quietSeconds), giveUp_(giveUpSeconds) {}

void SaveDebounce::note(const std::string& path, double now) {
  for (Pending& p : pending_) {
    if (p.path == path) {
      p.last = now;
      return;
    }
  }
  pending_.push_back({path, now});
}

std::vector<std::string> SaveDebounce::settled(double now) {
  std::vector<std::string> done;
  std::vector<Pending> still;
  for (Pending& p : pending_) {
    const double quietFor = now - p.last;
    if (quietFor >= quiet_ && (quietFor >= giveUp_ || complete_(p.path))) done.push_back(std::move(p.path));
    else still.push_back(std::move(p));
  }
  pending_.swap(still);
  return done;
}

}  // namespace lb_dev
