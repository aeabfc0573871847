#pragma once
// Command line of lattice-bloom-render and the mapping from frame index to
// output file.

#include <string>
#include <vector>

namespace lb_render {

struct RenderOptions {
  std::vector<double> times;  // demo clock values in seconds, in the order given
  std::string out;            // file, pattern with %d, or folder
  int width = 1280;           // pixels
  int height = 720;
  bool help = false;
};

// The text printed for --help and after a bad argument.
std::string usage();

// Parses argv[1..argc-1]. On failure returns false and puts a one-line reason
// naming the argument into *error. --help alone is valid.
bool parseOptions(int argc, const char* const* argv, RenderOptions* options, std::string* error);

// Parses "WxH" (positive, at most 16384 each).
bool parseSize(const std::string& text, int* width, int* height);

// One output path per frame. `out` is a folder when it names an existing
// directory or ends in '/' (frames go to frame-NNNN.png inside it, the folder
// is created if needed), a pattern when it holds %d or %0Nd (replaced by the
// 0-based frame index), and otherwise a single file, which is only valid for
// one frame. Relative paths are made absolute against `cwd`.
bool outputPaths(const std::string& out, size_t frameCount, const std::string& cwd,
                 std::vector<std::string>* paths, std::string* error);

}  // namespace lb_render
