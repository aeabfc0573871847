#include "FileWatcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace lb_dev {

FileWatcher::~FileWatcher() {
  if (fd_ >= 0) close(fd_);
}

bool FileWatcher::watch(const std::string& folder, std::string* error) {
  if (fd_ < 0) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) {
      *error = std::string("cannot start watching files: ") + std::strerror(errno);
      return false;
    }
  }
  const int wd = inotify_add_watch(fd_, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO);
  if (wd < 0) {
    *error = folder + ": cannot watch: " + std::strerror(errno);
    return false;
  }
  folders_.emplace_back(wd, folder);
  return true;
}

std::vector<std::string> FileWatcher::changes() {
  std::vector<std::string> paths;
  if (fd_ < 0) return paths;
  alignas(inotify_event) char buffer[16384];
  for (;;) {
    const ssize_t got = read(fd_, buffer, sizeof buffer);
    if (got <= 0) break;  // EAGAIN: nothing more queued
    for (ssize_t at = 0; at < got;) {
      const inotify_event* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->len == 0) continue;
      for (const auto& folder : folders_) {
        if (folder.first != event->wd) continue;
        const std::string path = folder.second + "/" + event->name;
        if (std::find(paths.begin(), paths.end(), path) == paths.end()) paths.push_back(path);
      }
    }
  }
  return paths;
}

}  // namespace lb_dev
