#pragma once
// Encodes a sequence of frames to an H.264 + AAC video by piping raw RGB
// (rgb24, rows top-first, no padding) into an ffmpeg child process, which muxes
// in the music trimmed to the same span of the show's clock. The pipe is fed
// from a thread of its own, so that rendering goes on while ffmpeg (and x264's
// threads behind it) takes in the frames before.

#include "NonCopyable.h"
#include "Platform.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lb_render {

struct Image;

struct VideoSettings {
  std::string ffmpeg;  // the program to run (a path, or a name looked up on PATH)
  std::string output;  // the video file; ffmpeg picks the container from its suffix
  std::string music;   // the soundtrack, e.g. "data/music.mp3"
  int width = 0;       // pixels; both even, as 4:2:0 chroma needs
  int height = 0;
  int fps = 0;
  double from = 0.0;  // seconds of the show (and of the music) at the first frame
  double to = 0.0;    // seconds at the end of the last frame
  std::string preset = kDefaultPreset;  // x264's speed preset (ultrafast ... veryslow)
  // x264 trades file size for encoding time: at CRF 18 and 1920x1080 60 fps the
  // show's frames encode several times faster with "veryfast" than with x264's
  // own default "medium", for a somewhat larger file of the same quality
  // target (docs/benchmarks.md has the figures).
  static constexpr const char* kDefaultPreset = "veryfast";
};

// Whether `name` is one of x264's speed presets.
bool isX264Preset(const std::string& name);

// The path of an executable `name` found on PATH (the platform layer's search).
using lb_engine::findProgram;

// ffmpeg's argument list (argv[0] first): raw video from standard input at
// `fps`, the music from `from` for (to - from) seconds, libx264 in yuv420p at
// CRF 18 with the settings' preset, AAC audio padded with silence where the music is shorter, and the
// output cut where the pictures end.
std::vector<std::string> ffmpegArguments(const VideoSettings& settings);

class VideoEncoder : lb_engine::NonCopyable {
 public:
  VideoEncoder() = default;
  // An encoder still running is stopped and its partial file removed.
  ~VideoEncoder();

  // Starts ffmpeg. Returns false with a message when it cannot be started.
  bool start(const VideoSettings& settings, std::string* error);

  // Queues one frame of settings.width x settings.height pixels for the
  // writing thread (waiting while kQueuedFrames are queued). Returns false when
  // ffmpeg has stopped reading (it failed); finish() then says how.
  bool write(const Image& image, std::string* error);

  // Seconds write() spent waiting for room in the queue: the time rendering
  // was held up by the encoder.
  double waitSeconds() const { return waitSeconds_; }
  // CPU seconds (user + system) ffmpeg used, known after finish().
  double encoderCpuSeconds() const { return encoderCpuSeconds_; }

  // Writes what is queued, closes ffmpeg's input and waits for it. Returns false with a message giving
  // its exit status when it failed.
  bool finish(std::string* error);

  // Stops ffmpeg at once and removes the partial file (after a failed render).
  void abort();

 private:
  static const size_t kQueuedFrames = 2;

  void writeLoop();
  void stopWriter();

  VideoSettings settings_;
  lb_engine::ChildProcess ffmpeg_;

  // Frames handed over to the writing thread; spare holds emptied buffers for reuse.
  std::thread writer_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::vector<unsigned char>> queue_;
  std::vector<std::vector<unsigned char>> spare_;
  bool closing_ = false;     // no more frames come; the writer ends when the queue is empty
  std::string writeError_;   // the writer's failure, reported by the next write()
  double waitSeconds_ = 0.0;
  double encoderCpuSeconds_ = 0.0;
};

}  // namespace lb_render
