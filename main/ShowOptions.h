#pragma once
// The show's command line: with no option it plays full screen on the first
// display at the desktop's size, as a viewer who double-clicks it expects; the
// options are for those who show it to others (a party's organisers, an
// installation): a window, the drawing size, the monitor, the swap interval,
// looping and silence.

#include <string>

namespace lb_show {

enum class Vsync { kPlatformDefault, kOn, kOff };

struct ShowOptions {
  bool help = false;
  bool version = false;
  bool windowed = false;
  int width = 0;  // the size the show is drawn at; 0 by 0: the window's own size
  int height = 0;
  int display = 0;  // 0 is the first monitor
  Vsync vsync = Vsync::kPlatformDefault;
  bool loop = false;
  bool mute = false;
  // Test hook, left out of the help: the clock value the show starts at, so
  // that a test sees the end of the show (and --loop's restart) in seconds.
  double startAt = 0.0;

  bool sized() const { return width > 0; }
};

// The smallest and largest width or height --size takes, in pixels.
constexpr int kMinSize = 16;
constexpr int kMaxSize = 8192;
// The window --windowed opens without --size.
constexpr int kWindowedWidth = 1280;
constexpr int kWindowedHeight = 720;

// Outcome of reading the command line.
enum class Parsed { kPlay, kHelp, kVersion, kSyntaxError, kValueError };

// Reads argv into *options. kSyntaxError (an unknown option, a missing value)
// and kValueError (a value the option cannot take: "--size 0x0",
// "--vsync maybe") come with one line in *error naming the option and the
// value.
Parsed parseShowOptions(int argc, const char* const* argv, ShowOptions* options, std::string* error);

// The --help text (the manual page is made from it).
std::string showHelp();

// Reads "WIDTHxHEIGHT" (1280x720; an upper-case X too); false with a reason
// for anything else or a side outside kMinSize..kMaxSize.
bool parseSize(const std::string& text, int* width, int* height, std::string* error);

}  // namespace lb_show
