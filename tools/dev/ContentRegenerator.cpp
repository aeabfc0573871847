#include "ContentRegenerator.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <vector>

extern char** environ;

namespace lb_dev {

ContentRegenerator::ContentRegenerator(std::string generator, std::string contentDir, std::string dataDir,
                                       std::string font)
    : generator_(std::move(generator)),
      contentDir_(std::move(contentDir)),
      dataDir_(std::move(dataDir)),
      font_(std::move(font)) {}

ContentRegenerator::~ContentRegenerator() {
  if (child_ > 0) waitpid(child_, nullptr, 0);
}

void ContentRegenerator::request() {
  if (child_ > 0) {
    again_ = true;
    return;
  }
  start();
}

bool ContentRegenerator::start() {
  std::vector<char*> args = {const_cast<char*>(generator_.c_str()), const_cast<char*>(contentDir_.c_str()),
                             const_cast<char*>(dataDir_.c_str()), const_cast<char*>(font_.c_str()), nullptr};
  const int failed = posix_spawn(&child_, generator_.c_str(), nullptr, nullptr, args.data(), environ);
  if (failed != 0) {
    child_ = -1;
    failure_ = generator_ + ": cannot be started: " + std::strerror(failed);
    return false;
  }
  return true;
}

std::string ContentRegenerator::poll() {
  if (!failure_.empty()) {
    std::string line;
    line.swap(failure_);
    return line;
  }
  if (child_ <= 0) return "";
  int status = 0;
  if (waitpid(child_, &status, WNOHANG) != child_) return "";
  child_ = -1;
  std::string line = WIFEXITED(status) && WEXITSTATUS(status) == 0
                         ? "data set regenerated from " + contentDir_
                         : generator_ + " failed (status " + std::to_string(WEXITSTATUS(status)) + "); data set left as it was";
  if (again_) {
    again_ = false;
    start();
  }
  return line;
}

}  // namespace lb_dev
