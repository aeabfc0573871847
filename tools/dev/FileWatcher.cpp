#include "FileWatcher.h"

namespace lb_dev {

FileWatcher::FileWatcher() : debounce_([this](const std::string& path) { return folders_.complete(path); }) {}

bool FileWatcher::watch(const std::string& folder, std::string* error) { return folders_.watch(folder, error); }

std::vector<std::string> FileWatcher::changes(double now) {
  for (const std::string& path : folders_.changes()) debounce_.note(path, now);
  return debounce_.settled(now);
}

}  // namespace lb_dev
