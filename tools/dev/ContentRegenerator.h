#pragma once
// With --watch-content: reruns the data-set generator (lb-datagen, as the build
// runs it) in the background when a source under content/ changes. The player
// keeps drawing meanwhile; the files the generator rewrites are then picked up
// by the data set's own watch, and only those whose bytes changed are reloaded.

#include "Platform.h"

#include <string>

namespace lb_dev {

class ContentRegenerator {
 public:
  ContentRegenerator(std::string generator, std::string contentDir, std::string dataDir, std::string font);
  // A run still going is waited for, not stopped: stopped, it could leave a
  // half-written data set behind.
  ~ContentRegenerator();

  const std::string& contentDir() const { return contentDir_; }
  // A source changed: run the generator now, or once more after the current run.
  void request();
  // Checks on a running generator; returns a line when a run has just ended.
  std::string poll();

 private:
  void start();

  std::string generator_, contentDir_, dataDir_, font_;
  lb_engine::ChildProcess child_;
  bool again_ = false;
  std::string failure_;  // a start that failed, reported by the next poll()
};

}  // namespace lb_dev
