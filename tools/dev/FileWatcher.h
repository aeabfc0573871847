#pragma once
// Watches folders for saved files: the platform's change notifications
// (lb_engine::FolderWatch) through a SaveDebounce, so that each save is handed
// on once, when the file is whole, however the editor wrote it. Never blocks:
// the player asks once per frame.

#include "Platform.h"
#include "SaveDebounce.h"

#include <string>
#include <vector>

namespace lb_dev {

class FileWatcher {
 public:
  FileWatcher();

  // Starts watching `folder` (not its subfolders). False with a message naming
  // the folder on failure.
  bool watch(const std::string& folder, std::string* error);
  // The files saved in a watched folder that have settled by `now` (seconds on
  // a steady clock), as "folder/name" with the folder as given to watch().
  std::vector<std::string> changes(double now);

 private:
  lb_engine::FolderWatch folders_;
  SaveDebounce debounce_;
};

}  // namespace lb_dev
