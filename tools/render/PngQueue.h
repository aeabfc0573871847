#pragma once
// Writes a sequence of frames as PNG files on worker threads, so that the
// drawing of the next frames goes on while earlier ones are compressed (zlib
// at 1920x1080 takes longer than llvmpipe takes to draw the frame). Each file
// still goes through writePng, at its fast compression: written beside its
// target and renamed into place once complete.

#include "FrameRenderer.h"
#include "NonCopyable.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lb_render {

class PngQueue : lb_engine::NonCopyable {
 public:
  // `workers` threads (at least 1); at most twice as many frames wait.
  explicit PngQueue(unsigned workers = defaultWorkers());
  // Frames still queued are written before it returns.
  ~PngQueue();

  // Hands a copy of `image` over for `path`, waiting while the queue is full.
  // False once a write has failed; finish() then says which.
  bool write(const std::string& path, const Image& image, std::string* error);

  // Waits for every queued frame. False with the first failure's message.
  bool finish(std::string* error);

  // Seconds write() spent waiting for room: the time drawing was held up.
  double waitSeconds() const { return waitSeconds_; }

  // One thread per core but one (that one draws), at least one.
  static unsigned defaultWorkers();

 private:
  struct Job {
    std::string path;
    Image image;
  };
  void work();
  void stop();

  size_t capacity_;
  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Job> queue_;
  std::vector<Image> spare_;  // emptied frames, their buffers reused
  size_t busy_ = 0;           // frames being compressed right now
  bool closing_ = false;
  std::string error_;  // the first failure
  double waitSeconds_ = 0.0;
};

}  // namespace lb_render
