#include "ContentRegenerator.h"

#include <utility>

namespace lb_dev {

ContentRegenerator::ContentRegenerator(std::string generator, std::string contentDir, std::string dataDir,
                                       std::string font)
    : generator_(std::move(generator)),
      contentDir_(std::move(contentDir)),
      dataDir_(std::move(dataDir)),
      font_(std::move(font)) {}

ContentRegenerator::~ContentRegenerator() {
  if (child_.running()) child_.wait(nullptr, nullptr);
}

void ContentRegenerator::request() {
  if (child_.running()) {
    again_ = true;
    return;
  }
  start();
}

void ContentRegenerator::start() {
  std::string error;
  if (!child_.start({generator_, contentDir_, dataDir_, font_}, &error)) {
    failure_ = error;
    return;
  }
  child_.closeInput();  // the generator reads no input
}

std::string ContentRegenerator::poll() {
  if (!failure_.empty()) {
    std::string line;
    line.swap(failure_);
    return line;
  }
  if (!child_.running() || !child_.exited()) return "";
  std::string how;
  const std::string line = child_.wait(&how, nullptr)
                               ? "data set regenerated from " + contentDir_
                               : generator_ + " failed (" + how + "); data set left as it was";
  if (again_) {
    again_ = false;
    start();
  }
  return line;
}

}  // namespace lb_dev
