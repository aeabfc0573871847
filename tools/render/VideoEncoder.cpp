#include "VideoEncoder.h"

#include "FrameRenderer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

// The release runs on GCC 11's C++ runtime (GLIBCXX_3.4.29). GCC 12's libstdc++
// exports condition_variable::wait(unique_lock<mutex>&) twice: the version its
// headers bind to, GLIBCXX_3.4.30, which a thread cancellation may unwind
// through, and the GLIBCXX_3.4.11 one every runtime since GCC 4.4 has. No thread
// here is ever cancelled, so the two behave the same: bind to the old one.
#if defined(__GLIBCXX__) && defined(__ELF__)
__asm__(".symver _ZNSt18condition_variable4waitERSt11unique_lockISt5mutexE,"
        "_ZNSt18condition_variable4waitERSt11unique_lockISt5mutexE@GLIBCXX_3.4.11");
#endif

namespace lb_render {

namespace {

std::string formatNumber(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", value);
  return text;
}

std::string describeStatus(int status) {
  if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return std::string("signal ") + strsignal(WTERMSIG(status));
  return "status " + std::to_string(status);
}

}  // namespace

std::string findProgram(const std::string& name) {
  if (name.empty()) return "";
  if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : "";
  const char* path = std::getenv("PATH");
  if (path == nullptr) return "";
  const std::string dirs = path;
  size_t begin = 0;
  while (begin <= dirs.size()) {
    size_t end = dirs.find(':', begin);
    if (end == std::string::npos) end = dirs.size();
    // An empty PATH entry means the working directory.
    const std::string dir = end == begin ? "." : dirs.substr(begin, end - begin);
    const std::string candidate = dir + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    begin = end + 1;
  }
  return "";
}

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
          "-c:v", "libx264", "-preset", s.preset, "-pix_fmt", "yuv420p", "-crf", "18",
          // Silence after the music's end keeps the audio as long as the pictures;
          // -shortest then ends the file with the last frame.
          "-c:a", "aac", "-b:a", "192k", "-af", "apad", "-shortest",
          "-movflags", "+faststart", s.output};
}

VideoEncoder::~VideoEncoder() { abort(); }

bool VideoEncoder::start(const VideoSettings& settings, std::string* error) {
  settings_ = settings;
  // A failing ffmpeg closes the pipe; the write must then fail with EPIPE rather
  // than end the renderer with SIGPIPE, so that ffmpeg's status can be reported.
  signal(SIGPIPE, SIG_IGN);
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    *error = std::string("cannot make a pipe to ffmpeg: ") + std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);  // dup2 clears close-on-exec
  const std::vector<std::string> args = ffmpegArguments(settings);
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, settings.ffmpeg.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[0]);
  if (spawned != 0) {
    close(fds[1]);
    *error = "cannot run " + settings.ffmpeg + ": " + std::strerror(spawned);
    return false;
  }
  pid_ = pid;
  pipe_ = fds[1];
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
    const unsigned char* data = frame.data();
    size_t left = frame.size();
    std::string error;
    while (left > 0) {
      const ssize_t written = ::write(pipe_, data, left);
      if (written < 0) {
        if (errno == EINTR) continue;
        error = std::string("ffmpeg stopped reading frames (") + std::strerror(errno) + ")";
        break;
      }
      data += written;
      left -= static_cast<size_t>(written);
    }
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
  if (pipe_ < 0) {
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
  if (pid_ < 0) {
    *error = "ffmpeg is not running";
    return false;
  }
  stopWriter();
  if (pipe_ >= 0) close(pipe_);
  pipe_ = -1;
  int status = 0;
  pid_t waited;
  rusage usage{};
  do {
    waited = wait4(pid_, &status, 0, &usage);
  } while (waited < 0 && errno == EINTR);
  encoderCpuSeconds_ = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + usage.ru_stime.tv_sec +
                       usage.ru_stime.tv_usec * 1e-6;
  pid_ = -1;
  if (waited < 0) {
    *error = std::string("cannot wait for ffmpeg: ") + std::strerror(errno);
    return false;
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    *error = "ffmpeg failed (" + describeStatus(status) + ") while encoding " + settings_.output +
             "; its messages, if any, are above";
    return false;
  }
  return true;
}

void VideoEncoder::abort() {
  // Killing ffmpeg first makes a write the writer is blocked in fail at once.
  if (pid_ >= 0) kill(pid_, SIGKILL);
  stopWriter();
  if (pipe_ >= 0) close(pipe_);
  pipe_ = -1;
  if (pid_ < 0) return;
  kill(pid_, SIGKILL);
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  std::remove(settings_.output.c_str());
}

}  // namespace lb_render
