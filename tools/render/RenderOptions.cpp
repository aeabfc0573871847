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
         "  Renders the show at the given demo clock values to PNG files, without music.\n"
         "  --at SECONDS  a clock value; repeat for several frames, rendered in the order given\n"
         "  --out PATH    a .png file (one frame), a pattern with %d (replaced by the\n"
         "                0-based frame index), or a folder (frames frame-0000.png, ...)\n"
         "  --size WxH    frame size in pixels (default 1280x720)\n"
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
    const bool takesValue = arg == "--at" || arg == "--out" || arg == "--size";
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
    if (arg == "--at") {
      double seconds = 0;
      if (!parseSeconds(value, &seconds)) {
        *error = "--at needs a number of seconds, not '" + value + "'";
        return false;
      }
      parsed.times.push_back(seconds);
    } else if (arg == "--out") {
      if (value.empty()) {
        *error = "--out needs a non-empty path";
        return false;
      }
      parsed.out = value;
      haveOut = true;
    } else {
      if (!parseSize(value, &parsed.width, &parsed.height)) {
        *error = "--size needs WIDTHxHEIGHT in pixels (1 to 16384 each), not '" + value + "'";
        return false;
      }
    }
  }
  if (!parsed.help) {
    if (parsed.times.empty()) {
      *error = "no --at SECONDS given";
      return false;
    }
    if (!haveOut) {
      *error = "no --out PATH given";
      return false;
    }
  }
  *options = parsed;
  return true;
}

bool outputPaths(const std::string& out, size_t frameCount, const std::string& cwd,
                 std::vector<std::string>* paths, std::string* error) {
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
    for (size_t i = 0; i < frameCount; ++i) paths->push_back(base + "/frame-" + formatIndex(i, 4) + ".png");
    return true;
  }
  if (frameCount > 1) {
    *error = "with several --at times, --out must hold %d or name a folder, not '" + out + "'";
    return false;
  }
  paths->push_back(base);
  return true;
}

}  // namespace lb_render
