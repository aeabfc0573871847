#include "VideoEncoder.h"

#include "FrameRenderer.h"
#include "OldCxxRuntime.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace lb_render {

namespace {

std::string formatNumber(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", value);
  return text;
}

}  // namespace

bool isX264Preset(const std::string& name) {
  for (const char* preset : {"ultrafast", "superfast", "veryfast", "faster", "fast", "medium", "slow", "slower",
                             "veryslow", "placebo"})
    if (name == preset) return true;
  return false;
}

std::vector<std::string> ffmpegArguments(const VideoSettings& s) {
  return {s.ffmpeg,
          "-hide_banner", "-nostdin", "-nostats", "-loglevel", "error", "-y",
          // Input 0: the frames, exactly as the renderer reads them back.
          "-f", "rawvideo", "-pix_fmt", "rgb24",
          "-video_size", std::to_string(s.width) + "x" + std::to_string(s.height),
          "-framerate", std::to_string(s.fps), "-i", "pipe:0",
          // Input 1: the music over the same span of the clock.
          "-ss", formatNumber(s.from), "-t", formatNumber(s.to - s.from), "-i", s.music,
          "-map", "0:v:0", "-map", "1:a:0",
          // High profile, as players and video sites expect of H.264 in 4:2:0.
          "-c:v", "libx264", "-preset", s.preset, "-profile:v", "high", "-pix_fmt", "yuv420p", "-crf", "18",
          // Silence after the music's end keeps the audio as long as the pictures;
          // -shortest then ends the file with the last frame. 48 kHz, the rate of
          // video (the music is 44.1 kHz).
          "-c:a", "aac", "-b:a", "192k", "-ar", "48000", "-af", "apad", "-shortest",
          "-movflags", "+faststart", s.output};
}

VideoEncoder::~VideoEncoder() { abort(); }

bool VideoEncoder::start(const VideoSettings& settings, std::string* error) {
  settings_ = settings;
  if (!ffmpeg_.start(ffmpegArguments(settings), error)) return false;
  closing_ = false;
  writeError_.clear();
  writer_ = std::thread(&VideoEncoder::writeLoop, this);
  return true;
}

void VideoEncoder::writeLoop() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return closing_ || !queue_.empty(); });
    if (queue_.empty()) return;  // closing, and everything is written
    std::vector<unsigned char> frame = std::move(queue_.front());
    queue_.pop_front();
    changed_.notify_all();
    lock.unlock();
    // The frame leaves the queue before it is written, so the renderer can
    // read back the next one while this write waits for ffmpeg.
    std::string error;
    if (!ffmpeg_.write(frame.data(), frame.size(), &error)) error = "ffmpeg stopped reading frames (" + error + ")";
    lock.lock();
    spare_.push_back(std::move(frame));
    if (!error.empty()) {
      writeError_ = error;
      queue_.clear();
      changed_.notify_all();
      return;
    }
  }
}

void VideoEncoder::stopWriter() {
  if (!writer_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  writer_.join();
}

bool VideoEncoder::write(const Image& image, std::string* error) {
  if (!ffmpeg_.running()) {
    *error = "ffmpeg is not running";
    return false;
  }
  if (image.width != settings_.width || image.height != settings_.height) {
    *error = "a frame of " + std::to_string(image.width) + "x" + std::to_string(image.height) +
             " does not fit the video's " + std::to_string(settings_.width) + "x" + std::to_string(settings_.height);
    return false;
  }
  const auto began = std::chrono::steady_clock::now();
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !writeError_.empty() || queue_.size() < kQueuedFrames; });
  waitSeconds_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  if (!writeError_.empty()) {
    *error = writeError_;
    return false;
  }
  std::vector<unsigned char> frame;
  if (!spare_.empty()) {
    frame = std::move(spare_.back());
    spare_.pop_back();
  }
  frame.assign(image.rgb.begin(), image.rgb.end());
  queue_.push_back(std::move(frame));
  changed_.notify_all();
  return true;
}

bool VideoEncoder::finish(std::string* error) {
  if (!ffmpeg_.running()) {
    *error = "ffmpeg is not running";
    return false;
  }
  stopWriter();
  ffmpeg_.closeInput();
  std::string how;
  const bool exitedWell = ffmpeg_.wait(&how, &encoderCpuSeconds_);
  // The writer may have failed on frames already queued after the last
  // write() returned: ffmpeg then ended (even with status 0) without them, and
  // its file is short.
  std::string writeError;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    writeError = writeError_;
  }
  if (!writeError.empty()) {
    *error = writeError + " while encoding " + settings_.output + "; ffmpeg ended with " + how +
             ", its messages, if any, are above";
    return false;
  }
  if (!exitedWell) {
    *error = "ffmpeg failed (" + how + ") while encoding " + settings_.output +
             "; its messages, if any, are above";
    return false;
  }
  return true;
}

void VideoEncoder::abort() {
  // Ending ffmpeg first makes a write the writer is blocked in fail at once.
  ffmpeg_.terminate();
  stopWriter();
  ffmpeg_.closeInput();
  if (!ffmpeg_.running()) return;
  ffmpeg_.wait(nullptr, nullptr);
  std::error_code ignored;
  std::filesystem::remove(lb_engine::fsPath(settings_.output), ignored);
}

}  // namespace lb_render
