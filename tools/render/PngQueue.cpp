#include "PngQueue.h"

#include "OldCxxRuntime.h"
#include "PngWriter.h"

#include <algorithm>
#include <chrono>

namespace lb_render {

unsigned PngQueue::defaultWorkers() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores > 2 ? std::min(cores - 1, 8u) : 1u;
}

PngQueue::PngQueue(unsigned workers) : capacity_(2 * std::max(workers, 1u)) {
  for (unsigned i = 0; i < std::max(workers, 1u); ++i) workers_.emplace_back(&PngQueue::work, this);
}

PngQueue::~PngQueue() { stop(); }

void PngQueue::work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return closing_ || !queue_.empty(); });
    if (queue_.empty()) return;  // closing, and everything is written
    Job job = std::move(queue_.front());
    queue_.pop_front();
    ++busy_;
    const bool skip = !error_.empty();  // after a failure, nothing more is written
    lock.unlock();
    std::string error;
    const bool written = skip || writePng(job.path, job.image, &error, PngCompression::kFast);
    lock.lock();
    --busy_;
    if (!written && error_.empty()) error_ = error;
    spare_.push_back(std::move(job.image));
    changed_.notify_all();
  }
}

void PngQueue::stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  for (std::thread& worker : workers_)
    if (worker.joinable()) worker.join();
}

bool PngQueue::write(const std::string& path, const Image& image, std::string* error) {
  const auto began = std::chrono::steady_clock::now();
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !error_.empty() || queue_.size() < capacity_; });
  waitSeconds_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  if (!error_.empty()) {
    *error = error_;
    return false;
  }
  Job job;
  job.path = path;
  if (!spare_.empty()) {
    job.image = std::move(spare_.back());
    spare_.pop_back();
  }
  job.image.width = image.width;
  job.image.height = image.height;
  job.image.rgb.assign(image.rgb.begin(), image.rgb.end());
  queue_.push_back(std::move(job));
  changed_.notify_all();
  return true;
}

bool PngQueue::finish(std::string* error) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return queue_.empty() && busy_ == 0; });
  if (error_.empty()) return true;
  *error = error_;
  return false;
}

}  // namespace lb_render
