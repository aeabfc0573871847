#include "RenderOptions.h"

#include "CommandLine.h"
#include "MusicGrid.h"
#include "OutputFile.h"
#include "Platform.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

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
  std::error_code error;
  return std::filesystem::is_directory(lb_engine::fsPath(path), error);
}

bool makeDirectories(const std::string& path, std::string* error) {
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/' && path[i] != std::filesystem::path::preferred_separator) continue;
    const std::string prefix = path.substr(0, i);
    if (isDirectory(prefix)) continue;
    std::error_code failure;
    if (!std::filesystem::create_directory(lb_engine::fsPath(prefix), failure) && failure) {
      *error = "cannot create the folder " + prefix + ": " + failure.message();
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

namespace {

// The option values as typed. CLI11 takes care of the syntax (--opt VALUE,
// --opt=VALUE, repeated --at, flags); readValues and the checks below give the
// values their meaning, in this program's words.
struct TypedValues {
  std::vector<std::string> at;
  std::string out, size, fps, from, to, video, preset, contactSheet;
};

const char* const kSynopsis =
    "usage: lattice-bloom-render --at TIME [--at TIME ...] --out PATH [--size WxH]\n"
    "       lattice-bloom-render --fps N [--from A] [--to B] [--out FOLDER/] [--video FILE.mp4]\n"
    "       lattice-bloom-render --contact-sheet FILE.png\n";

const char* const kFooter =
    "A TIME (and A, B) is seconds of the show's clock (61.692) or a bar of the music:\n"
    "b33 is bar 33 (bars count from 1 at 0 s, four beats each, a new bar at every\n"
    "section of the score), b33.2 its second beat. --at and --from take the start\n"
    "of that bar or beat, --to its end: --fps 60 --from b33 --to b40 renders bars\n"
    "33 to 40, all of bar 40 included.\n"
    "Any GL error while rendering a frame ends the run with a non-zero status.\n"
    "The data set is data/config.txt in the working directory or beside the program.";

// Every option of the program, with the text --help prints for it.
void declareOptions(CLI::App* app, TypedValues* typed, RenderOptions* options) {
  lb_cli::configure(app, kSynopsis, kFooter, &options->help);
  app->add_option("--at", typed->at,
                  "a clock value; repeat for several frames, rendered in the order given")
      ->type_name("TIME")
      ->allow_extra_args(false);
  app->add_option("--out", typed->out,
                  "a .png file (one frame), a pattern with %d (replaced by the\n"
                  "0-based frame index), or a folder (frame-0000.png, ... for --at;\n"
                  "frame_00000.png, ... for --fps)")
      ->type_name("PATH");
  app->add_option("--fps", typed->fps,
                  "a sequence of N frames per second (1 to 1000): frame k at\n"
                  "t = A + k / N, round((B - A) * N) frames in all")
      ->type_name("N");
  app->add_option("--from", typed->from, "the sequence's first clock value, a TIME (default 0)")->type_name("A");
  app->add_option("--to", typed->to, "where the sequence ends, a TIME (default 130); a bar counts to its end")
      ->type_name("B");
  app->add_option("--video", typed->video,
                  "pipes the sequence to ffmpeg: H.264 (yuv420p, CRF 18) with\n"
                  "data/music.mp3 from A to B as AAC; needs ffmpeg on PATH")
      ->type_name("FILE");
  app->add_option("--preset", typed->preset,
                  "x264's speed preset for --video, ultrafast to veryslow\n"
                  "(default veryfast; slower ones make smaller files, much slower)")
      ->type_name("NAME");
  app->add_option("--contact-sheet", typed->contactSheet,
                  "one frame from the middle of each scene, labelled, in a 5x2 grid\n"
                  "of tiles 3/10 of the frame size (384x216 at the default size)")
      ->type_name("FILE");
  app->add_option("--size", typed->size, "frame size in pixels (default 1280x720)")->type_name("WxH");
  app->add_flag("--check-gl", options->checkGl,
                "creates a debug GL context, reports driver messages and fails on\n"
                "the first GL error with the frame's clock value");
}

CLI::App makeApp() {
  return CLI::App("Renders the show at chosen demo clock values, offscreen and in exact time steps.",
                  "lattice-bloom-render");
}

// Seconds or the music's bar notation; `edge` says which end of a bar or beat counts.
bool readTime(const char* name, const std::string& text, lb_music::GridEdge edge, double* seconds,
              std::string* error) {
  std::string problem;
  if (lb_music::readClock(text, edge, seconds, &problem)) return true;
  *error = std::string(name) + " " + problem;
  return false;
}

bool readPath(const char* name, const std::string& text, std::string* path, std::string* error) {
  if (!text.empty()) {
    *path = text;
    return true;
  }
  *error = std::string(name) + " needs a non-empty path";
  return false;
}

// Converts every value that was given into `options`.
bool readValues(const CLI::App& app, const TypedValues& typed, RenderOptions* options, std::string* error) {
  for (const std::string& text : typed.at) {
    double seconds = 0;
    if (!readTime("--at", text, lb_music::GridEdge::kStart, &seconds, error)) return false;
    options->times.push_back(seconds);
  }
  if (app.count("--from") > 0 && !readTime("--from", typed.from, lb_music::GridEdge::kStart, &options->from, error))
    return false;
  // "--from b33 --to b40" covers bars 33 to 40: a bar given to --to counts to its end.
  if (app.count("--to") > 0 && !readTime("--to", typed.to, lb_music::GridEdge::kEnd, &options->to, error))
    return false;
  if (app.count("--fps") > 0 && (!parsePositive(typed.fps, &options->fps) || options->fps > kMaxFps)) {
    *error = "--fps needs a whole number of frames per second from 1 to " + std::to_string(kMaxFps) + ", not '" +
             typed.fps + "'";
    return false;
  }
  if (app.count("--out") > 0 && !readPath("--out", typed.out, &options->out, error)) return false;
  if (app.count("--video") > 0 && !readPath("--video", typed.video, &options->video, error)) return false;
  // The preset's name is checked against x264's list where the video is set up.
  if (app.count("--preset") > 0) options->preset = typed.preset;
  if (app.count("--contact-sheet") > 0 && !readPath("--contact-sheet", typed.contactSheet, &options->contactSheet, error))
    return false;
  if (app.count("--size") > 0 && !parseSize(typed.size, &options->width, &options->height)) {
    *error = "--size needs WIDTHxHEIGHT in pixels (1 to 16384 each), not '" + typed.size + "'";
    return false;
  }
  return true;
}

// Exactly one way of choosing frames, with the options that belong to it.
bool checkFrameChoice(const CLI::App& app, const RenderOptions& options, std::string* error) {
  const bool haveOut = app.count("--out") > 0, haveFrom = app.count("--from") > 0, haveTo = app.count("--to") > 0;
  const int modes = (options.times.empty() ? 0 : 1) + (options.fps > 0 ? 1 : 0) + (options.contactSheet.empty() ? 0 : 1);
  if (modes == 0) {
    *error = "no --at TIME given (nor --fps N or --contact-sheet FILE)";
  } else if (modes > 1) {
    *error = "--at, --fps and --contact-sheet choose frames in different ways; give only one of them";
  } else if (options.fps == 0 && (haveFrom || haveTo)) {
    *error = std::string(haveFrom ? "--from" : "--to") + " belongs to a sequence: give --fps N as well";
  } else if (options.fps == 0 && !options.video.empty()) {
    *error = "--video encodes a sequence: give --fps N as well";
  } else if (!options.times.empty() && !haveOut) {
    *error = "no --out PATH given";
  } else if (options.fps > 0 && !haveOut && options.video.empty()) {
    *error = "no --out FOLDER/ or --video FILE given for the sequence";
  } else if (!options.contactSheet.empty() && haveOut) {
    *error = "--contact-sheet names its own file; drop --out";
  } else {
    return true;
  }
  return false;
}

// A sequence that starts at or after 0, ends after it starts and has a
// renderable number of frames.
bool checkSequence(const RenderOptions& options, std::string* error) {
  if (options.fps == 0) return true;
  const double frames = (options.to - options.from) * options.fps;
  if (options.from < 0) {
    *error = "--from must not be negative (the show's clock starts at 0), not " + formatSeconds(options.from);
  } else if (!(options.to > options.from)) {
    *error = "--to (" + formatSeconds(options.to) + " s) must lie after --from (" + formatSeconds(options.from) + " s)";
  } else if (frames > kMaxFrames) {
    *error = "the sequence would have " + formatSeconds(frames) + " frames; at most " + std::to_string(kMaxFrames) +
             " are rendered in one run";
  } else if (sequenceFrameCount(options.from, options.to, options.fps) == 0) {
    *error = "the sequence from " + formatSeconds(options.from) + " s to " + formatSeconds(options.to) + " s at " +
             std::to_string(options.fps) + " fps has no frames";
  } else {
    return true;
  }
  return false;
}

}  // namespace

std::string usage() {
  CLI::App app = makeApp();
  TypedValues typed;
  RenderOptions options;
  declareOptions(&app, &typed, &options);
  return app.help();
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
  CLI::App app = makeApp();
  TypedValues typed;
  RenderOptions parsed;
  declareOptions(&app, &typed, &parsed);
  if (!lb_cli::parse(&app, argc, argv, error) || !readValues(app, typed, &parsed, error)) return false;
  if (!parsed.help && !(checkFrameChoice(app, parsed, error) && checkSequence(parsed, error))) return false;
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
  std::string base = lb_engine::outputPathFrom(out, cwd);
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
