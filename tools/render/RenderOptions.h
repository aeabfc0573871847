#pragma once
// Command line of lattice-bloom-render and the mapping from frame index to
// output file.
//
// Three ways to choose frames, exactly one per run:
//   --at TIME ...           chosen clock values, in the order given
//   --fps N [--from A] [--to B]
//                           a regular sequence: frame k at t = A + k / N,
//                           round((B - A) * N) frames, to PNG files and/or a video
//   --contact-sheet FILE    one frame from the middle of each scene, in a grid
// A time is seconds or a bar of the music (MusicGrid.h): "b33" for bar 33,
// "b33.2" for its second beat; --to takes the end of that bar or beat.

#include <cstddef>
#include <string>
#include <vector>

namespace lb_render {

struct RenderOptions {
  std::vector<double> times;  // --at: demo clock values in seconds, in the order given
  std::string out;            // file, pattern with %d, or folder
  int width = 1280;           // pixels
  int height = 720;
  bool help = false;

  int fps = 0;             // --fps: frames per second of a sequence; 0 when no sequence is asked for
  double from = 0.0;       // --from: clock value of the sequence's first frame, seconds
  double to = 130.0;       // --to: end of the sequence (exclusive), seconds
  std::string video;       // --video: H.264 + AAC file made from the sequence by ffmpeg
  std::string preset;      // --preset: x264 speed preset for --video; empty for the default
  std::string contactSheet;  // --contact-sheet: PNG file of the scene grid
  bool checkGl = false;      // --check-gl: debug context, KHR_debug callback, fail on any GL error
};

// The text printed for --help and after a bad argument.
std::string usage();

// Parses argv[1..argc-1]. On failure returns false and puts a one-line reason
// naming the argument into *error. --help alone is valid.
bool parseOptions(int argc, const char* const* argv, RenderOptions* options, std::string* error);

// Parses "WxH" (positive, at most 16384 each).
bool parseSize(const std::string& text, int* width, int* height);

// Number of frames of a sequence from `from` to `to` at `fps`:
// round((to - from) * fps), halves away from zero; 0 when to <= from.
size_t sequenceFrameCount(double from, double to, int fps);

// Clock value of frame k of a sequence: from + k / fps, computed afresh for
// every frame (never accumulated, so frame 3000 carries no summed rounding).
double sequenceTime(double from, int fps, size_t k);

// Which folder naming outputPaths uses when `out` names a folder.
enum class FolderNaming {
  kStills,    // frame-0000.png, frame-0001.png, ... (--at)
  kSequence,  // frame_00000.png, frame_00001.png, ... (--fps; five digits hold 130 s at 600 fps)
};

// One output path per frame. `out` is a folder when it names an existing
// directory or ends in '/' (frames go inside it, named as `naming` says; the
// folder is created if needed), a pattern when it holds %d or %0Nd (replaced by
// the 0-based frame index), and otherwise a single file, which is only valid
// for one frame. Relative paths are made absolute against `cwd`.
bool outputPaths(const std::string& out, size_t frameCount, const std::string& cwd,
                 std::vector<std::string>* paths, std::string* error,
                 FolderNaming naming = FolderNaming::kStills);

}  // namespace lb_render
