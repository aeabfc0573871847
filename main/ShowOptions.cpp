#include "ShowOptions.h"

#include "CommandLine.h"

#include <cstdlib>

namespace lb_show {

namespace {

// The option values as typed, checked once CLI11 has read them.
struct Typed {
  std::string size;
  std::string vsync;
  std::string display;
};

void declare(CLI::App* app, ShowOptions* options, Typed* typed) {
  lb_cli::configure(app,
                    "usage: lattice-bloom [--windowed] [--size WxH] [--display N] [--vsync on|off] [--loop] [--mute]\n"
                    "       lattice-bloom --help | --version\n",
                    "With no option the show plays full screen on the first display at the desktop's\n"
                    "size, with the cursor hidden and the platform's swap interval: the setting for a\n"
                    "competition. --windowed --size 1920x1080 --display 1 --loop --mute can be combined.\n\n"
                    "The data set (data/config.txt and what it names) is looked for in the working\n"
                    "directory, beside the program, then in ../share/lattice-bloom/ beside the\n"
                    "program's folder. The show needs an OpenGL 4.1 core driver; without a sound\n"
                    "device it plays silently.\n\n"
                    "Exit status: 0 when the show has played or was ended, 1 when the data set, the\n"
                    "display or OpenGL 4.1 is missing, 2 for a wrong command line or option value.\n",
                    &options->help);
  app->add_flag("--version", options->version, "prints the version");
  app->add_flag("--windowed", options->windowed, "plays in a window (1280x720 unless --size says), cursor shown");
  app->add_option("--size", typed->size,
                  "the size the show is drawn at, e.g. 1920x1080: a window's size;\n"
                  "full screen, scaled to fill the screen, aspect kept (default: the screen's)")
      ->type_name("WxH");
  app->add_option("--display", typed->display, "the monitor to play on, 0 being the first (default 0)")
      ->type_name("N");
  app->add_option("--vsync", typed->vsync, "a swap interval of 1 (on) or 0 (off) (default: the platform's)")
      ->type_name("on|off");
  app->add_flag("--loop", options->loop, "at the end, starts again from 0 with the music, until Escape");
  app->add_flag("--mute", options->mute, "opens no audio device: plays silently on the same clock");
  // No description and no group: a test hook that --help does not list.
  app->add_option("--start-at", options->startAt)->group("");
}

bool readDisplay(const std::string& text, int* display, std::string* error) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || text[0] == '-' || text[0] == '+' || value > 63) {
    *error = "--display needs a monitor number (0 is the first), not '" + text + "'";
    return false;
  }
  *display = static_cast<int>(value);
  return true;
}

bool readVsync(const std::string& text, Vsync* vsync, std::string* error) {
  if (text == "on" || text == "off") {
    *vsync = text == "on" ? Vsync::kOn : Vsync::kOff;
    return true;
  }
  *error = "--vsync needs on or off, not '" + text + "'";
  return false;
}

}  // namespace

bool parseSize(const std::string& text, int* width, int* height, std::string* error) {
  const size_t x = text.find_first_of("xX");
  auto digits = [](const std::string& s) {
    return !s.empty() && s.size() <= 5 && s.find_first_not_of("0123456789") == std::string::npos;
  };
  if (x == std::string::npos || !digits(text.substr(0, x)) || !digits(text.substr(x + 1))) {
    *error = "--size needs WIDTHxHEIGHT in pixels, such as 1920x1080, not '" + text + "'";
    return false;
  }
  const int w = std::atoi(text.substr(0, x).c_str());
  const int h = std::atoi(text.substr(x + 1).c_str());
  if (w < kMinSize || h < kMinSize || w > kMaxSize || h > kMaxSize) {
    *error = "--size " + text + ": width and height must each be " + std::to_string(kMinSize) + " to " +
             std::to_string(kMaxSize) + " pixels";
    return false;
  }
  *width = w;
  *height = h;
  return true;
}

Parsed parseShowOptions(int argc, const char* const* argv, ShowOptions* options, std::string* error) {
  CLI::App app("", "lattice-bloom");
  Typed typed;
  declare(&app, options, &typed);
  if (!lb_cli::parse(&app, argc, argv, error)) return Parsed::kSyntaxError;
  if (options->help) return Parsed::kHelp;
  if (options->version) return Parsed::kVersion;
  if (!typed.size.empty() || app.count("--size") > 0) {
    if (!parseSize(typed.size, &options->width, &options->height, error)) return Parsed::kValueError;
  } else if (options->windowed) {
    options->width = kWindowedWidth;
    options->height = kWindowedHeight;
  }
  if (app.count("--display") > 0 && !readDisplay(typed.display, &options->display, error))
    return Parsed::kValueError;
  if (app.count("--vsync") > 0 && !readVsync(typed.vsync, &options->vsync, error)) return Parsed::kValueError;
  if (options->startAt < 0.0) {
    *error = "--start-at needs a clock value of 0 or more";
    return Parsed::kValueError;
  }
  return Parsed::kPlay;
}

std::string showHelp() {
  CLI::App app("Plays Lattice Bloom by Quasar Fern, a real-time audiovisual demo: ten 3D scenes\n"
               "in step with their own music, 130 seconds, full screen on the desktop's display.\n"
               "Escape, Alt-F4 or the window's close button end it early.",
               "lattice-bloom");
  ShowOptions options;
  Typed typed;
  declare(&app, &options, &typed);
  return app.help();
}

}  // namespace lb_show
