#include "RenderOptions.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace lb_render {

namespace {

const int kMaxSide = 16384;  // pixels; far beyond any screen, well inside GL limits
const int kMaxFps = 1000;    // frames per second
// Frames in one sequence: a day at 60 fps, far more than the show needs, small
// enough that the count fits every index type on the way.
const double kMaxFrames = 86400.0 * 60;

std::string formatSeconds(double seconds) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", seconds);
  return text;
}

bool parseSeconds(const std::string& text, double* seconds) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (errno != 0 || end == text.c_str() || *end != '\0' || !std::isfinite(value)) return false;
  *seconds = value;
  return true;
}

bool parsePositive(const std::string& text, int* value) {
  if (text.empty() || text.size() > 6) return false;
  int v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v <= 0 || v > kMaxSide) return false;
  *value = v;
  return true;
}

bool isDirectory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool makeDirectories(const std::string& path, std::string* error) {
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/') continue;
    const std::string prefix = path.substr(0, i);
    if (isDirectory(prefix)) continue;
    if (mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) {
      *error = "cannot create the folder " + prefix + ": " + std::strerror(errno);
      return false;
    }
  }
  return true;
}

// Finds the first %d or %0Nd; returns false when there is none. *width is the
// zero-padding width (0 for plain %d).
bool findIndexField(const std::string& pattern, size_t* begin, size_t* end, int* width) {
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') continue;
    size_t j = i + 1;
    int w = 0;
    if (j < pattern.size() && pattern[j] == '0') {
      ++j;
      while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9' && w < 100) {
        w = w * 10 + (pattern[j] - '0');
        ++j;
      }
    }
    if (j < pattern.size() && pattern[j] == 'd') {
      *begin = i;
      *end = j + 1;
      *width = w;
      return true;
    }
  }
  return false;
}

std::string formatIndex(size_t index, int width) {
  std::string digits = std::to_string(index);
  if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
  return digits;
}

}  // namespace

std::string usage() {
  return "usage: lattice-bloom-render --at SECONDS [--at SECONDS ...] --out PATH [--size WxH]\n"
         "       lattice-bloom-render --fps N [--from A] [--to B] [--out FOLDER/] [--video FILE.mp4]\n"
         "       lattice-bloom-render --contact-sheet FILE.png\n"
         "  Renders the show at chosen demo clock values, offscreen and in exact time steps.\n"
         "  --at SECONDS   a clock value; repeat for several frames, rendered in the order given\n"
         "  --out PATH     a .png file (one frame), a pattern with %d (replaced by the\n"
         "                 0-based frame index), or a folder (frame-0000.png, ... for --at;\n"
         "                 frame_00000.png, ... for --fps)\n"
         "  --fps N        a sequence of N frames per second (1 to 1000): frame k at\n"
         "                 t = A + k / N, round((B - A) * N) frames in all\n"
         "  --from A       the sequence's first clock value in seconds (default 0)\n"
         "  --to B         where the sequence ends, in seconds (default 130)\n"
         "  --video FILE   pipes the sequence to ffmpeg: H.264 (yuv420p, CRF 18) with\n"
         "                 data/music.mp3 from A to B as AAC; needs ffmpeg on PATH\n"
         "  --preset NAME  x264's speed preset for --video, ultrafast to veryslow\n"
         "                 (default veryfast; slower ones make smaller files, much slower)\n"
         "  --contact-sheet FILE\n"
         "                 one frame from the middle of each scene, labelled, in a 5x2 grid\n"
         "                 of tiles 3/10 of the frame size (384x216 at the default size)\n"
         "  --size WxH     frame size in pixels (default 1280x720)\n"
         "  --check-gl     creates a debug GL context, reports driver messages and fails on\n"
         "                 the first GL error with the frame's clock value\n"
         "  Any GL error while rendering a frame ends the run with a non-zero status.\n"
         "  The data set is data/config.txt in the working directory or beside the program.\n";
}

bool parseSize(const std::string& text, int* width, int* height) {
  const size_t x = text.find('x');
  if (x == std::string::npos) return false;
  int w = 0;
  int h = 0;
  if (!parsePositive(text.substr(0, x), &w) || !parsePositive(text.substr(x + 1), &h)) return false;
  *width = w;
  *height = h;
  return true;
}

bool parseOptions(int argc, const char* const* argv, RenderOptions* options, std::string* error) {
  RenderOptions parsed;
  bool haveOut = false;
  bool haveFrom = false;
  bool haveTo = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::string value;
    bool inlineValue = false;
    const size_t eq = arg.find('=');
    if (arg.compare(0, 2, "--") == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      inlineValue = true;
    }
    if (arg == "--help" || arg == "-h") {
      parsed.help = true;
      continue;
    }
    if (arg == "--check-gl") {
      if (inlineValue) {
        *error = "--check-gl takes no value";
        return false;
      }
      parsed.checkGl = true;
      continue;
    }
    const bool takesValue = arg == "--at" || arg == "--out" || arg == "--size" || arg == "--fps" ||
                            arg == "--from" || arg == "--to" || arg == "--video" || arg == "--contact-sheet" ||
                            arg == "--preset";
    if (!takesValue) {
      *error = "unknown argument '" + std::string(argv[i]) + "'";
      return false;
    }
    if (!inlineValue) {
      if (i + 1 >= argc) {
        *error = arg + " needs a value";
        return false;
      }
      value = argv[++i];
    }
    if (arg == "--at" || arg == "--from" || arg == "--to") {
      double seconds = 0;
      if (!parseSeconds(value, &seconds)) {
        *error = arg + " needs a number of seconds, not '" + value + "'";
        return false;
      }
      if (arg == "--at") {
        parsed.times.push_back(seconds);
      } else if (arg == "--from") {
        parsed.from = seconds;
        haveFrom = true;
      } else {
        parsed.to = seconds;
        haveTo = true;
      }
    } else if (arg == "--fps") {
      int fps = 0;
      if (!parsePositive(value, &fps) || fps > kMaxFps) {
        *error = "--fps needs a whole number of frames per second from 1 to " + std::to_string(kMaxFps) +
                 ", not '" + value + "'";
        return false;
      }
      parsed.fps = fps;
    } else if (arg == "--preset") {
      parsed.preset = value;  // the name is checked against x264's list where the video is set up
    } else if (arg == "--out" || arg == "--video" || arg == "--contact-sheet") {
      if (value.empty()) {
        *error = arg + " needs a non-empty path";
        return false;
      }
      if (arg == "--out") {
        parsed.out = value;
        haveOut = true;
      } else if (arg == "--video") {
        parsed.video = value;
      } else {
        parsed.contactSheet = value;
      }
    } else {
      if (!parseSize(value, &parsed.width, &parsed.height)) {
        *error = "--size needs WIDTHxHEIGHT in pixels (1 to 16384 each), not '" + value + "'";
        return false;
      }
    }
  }
  if (!parsed.help) {
    const int modes = (parsed.times.empty() ? 0 : 1) + (parsed.fps > 0 ? 1 : 0) + (parsed.contactSheet.empty() ? 0 : 1);
    if (modes == 0) {
      *error = "no --at SECONDS given (nor --fps N or --contact-sheet FILE)";
      return false;
    }
    if (modes > 1) {
      *error = "--at, --fps and --contact-sheet choose frames in different ways; give only one of them";
      return false;
    }
    if (parsed.fps == 0 && (haveFrom || haveTo)) {
      *error = std::string(haveFrom ? "--from" : "--to") + " belongs to a sequence: give --fps N as well";
      return false;
    }
    if (parsed.fps == 0 && !parsed.video.empty()) {
      *error = "--video encodes a sequence: give --fps N as well";
      return false;
    }
    if (!parsed.times.empty() && !haveOut) {
      *error = "no --out PATH given";
      return false;
    }
    if (parsed.fps > 0) {
      if (!haveOut && parsed.video.empty()) {
        *error = "no --out FOLDER/ or --video FILE given for the sequence";
        return false;
      }
      if (parsed.from < 0) {
        *error = "--from must not be negative (the show's clock starts at 0), not " + formatSeconds(parsed.from);
        return false;
      }
      if (!(parsed.to > parsed.from)) {
        *error = "--to (" + formatSeconds(parsed.to) + " s) must lie after --from (" + formatSeconds(parsed.from) +
                 " s)";
        return false;
      }
      const double frames = (parsed.to - parsed.from) * parsed.fps;
      if (frames > kMaxFrames) {
        *error = "the sequence would have " + formatSeconds(frames) + " frames; at most " +
                 std::to_string(kMaxFrames) + " are rendered in one run";
        return false;
      }
      if (sequenceFrameCount(parsed.from, parsed.to, parsed.fps) == 0) {
        *error = "the sequence from " + formatSeconds(parsed.from) + " s to " + formatSeconds(parsed.to) + " s at " +
                 std::to_string(parsed.fps) + " fps has no frames";
        return false;
      }
    }
    if (!parsed.contactSheet.empty() && haveOut) {
      *error = "--contact-sheet names its own file; drop --out";
      return false;
    }
  }
  *options = parsed;
  return true;
}

size_t sequenceFrameCount(double from, double to, int fps) {
  if (!(to > from) || fps <= 0) return 0;
  return static_cast<size_t>(std::llround((to - from) * fps));
}

double sequenceTime(double from, int fps, size_t k) { return from + static_cast<double>(k) / fps; }

bool outputPaths(const std::string& out, size_t frameCount, const std::string& cwd,
                 std::vector<std::string>* paths, std::string* error, FolderNaming naming) {
  std::string base = out;
  if (!base.empty() && base[0] != '/') base = cwd + "/" + base;
  paths->clear();

  size_t begin = 0;
  size_t end = 0;
  int width = 0;
  if (findIndexField(base, &begin, &end, &width)) {
    for (size_t i = 0; i < frameCount; ++i)
      paths->push_back(base.substr(0, begin) + formatIndex(i, width) + base.substr(end));
    return true;
  }
  if (isDirectory(base) || base.back() == '/') {
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    if (!makeDirectories(base, error)) return false;
    const bool sequence = naming == FolderNaming::kSequence;
    for (size_t i = 0; i < frameCount; ++i)
      paths->push_back(base + (sequence ? "/frame_" : "/frame-") + formatIndex(i, sequence ? 5 : 4) + ".png");
    return true;
  }
  if (frameCount > 1) {
    *error = "with several frames, --out must hold %d or name a folder, not '" + out + "'";
    return false;
  }
  paths->push_back(base);
  return true;
}

}  // namespace lb_render
