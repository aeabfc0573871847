#pragma once
// Watches folders for files that were written or moved into place (inotify),
// without blocking: the player asks once per frame what changed. Folders, not
// files, are watched, because editors often save by writing a new file and
// renaming it over the old one.

#include "NonCopyable.h"

#include <string>
#include <vector>

namespace lb_dev {

class FileWatcher : lb_engine::NonCopyable {
 public:
  ~FileWatcher();

  // Starts watching `folder` (not its subfolders). False with a message naming
  // the folder on failure.
  bool watch(const std::string& folder, std::string* error);
  // Every file written, created or moved into a watched folder since the last
  // call, as "folder/name" with the folder as given to watch(); each path once.
  std::vector<std::string> changes();

 private:
  int fd_ = -1;
  std::vector<std::pair<int, std::string>> folders_;  // watch descriptor, folder
};

}  // namespace lb_dev
