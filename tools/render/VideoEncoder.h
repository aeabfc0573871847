#pragma once
// Encodes a sequence of frames to an H.264 + AAC video by piping raw RGB
// (rgb24, rows top-first, no padding) into an ffmpeg child process, which muxes
// in the music trimmed to the same span of the show's clock.

#include <string>
#include <sys/types.h>
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
};

// The absolute path of an executable `name` found on PATH, or "" when there is
// none. A name holding '/' is checked as it is.
std::string findProgram(const std::string& name);

// ffmpeg's argument list (argv[0] first): raw video from standard input at
// `fps`, the music from `from` for (to - from) seconds, libx264 in yuv420p at
// CRF 18, AAC audio padded with silence where the music is shorter, and the
// output cut where the pictures end.
std::vector<std::string> ffmpegArguments(const VideoSettings& settings);

class VideoEncoder {
 public:
  VideoEncoder() = default;
  VideoEncoder(const VideoEncoder&) = delete;
  VideoEncoder& operator=(const VideoEncoder&) = delete;
  // An encoder still running is stopped and its partial file removed.
  ~VideoEncoder();

  // Starts ffmpeg. Returns false with a message when it cannot be started.
  bool start(const VideoSettings& settings, std::string* error);

  // Sends one frame of settings.width x settings.height pixels. Returns false
  // when ffmpeg has stopped reading (it failed); finish() then says how.
  bool write(const Image& image, std::string* error);

  // Closes ffmpeg's input and waits for it. Returns false with a message giving
  // its exit status when it failed.
  bool finish(std::string* error);

  // Stops ffmpeg at once and removes the partial file (after a failed render).
  void abort();

 private:
  VideoSettings settings_;
  pid_t pid_ = -1;
  int pipe_ = -1;
};

}  // namespace lb_render
