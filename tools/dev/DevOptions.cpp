#include "DevOptions.h"

#include "CommandLine.h"
#include "RenderOptions.h"  // lb_render::parseSize: the same WxH rules as the renderer
#include "Transport.h"

#include <cstdio>

namespace lb_dev {

namespace {

const char* const kSynopsis =
    "usage: lattice-bloom-dev [--at SECONDS | --scene NAME] [--loop A:B] [--size WxH] [--fullscreen]\n"
    "                         [--mute] [--clean] [--watch-content] [--stats SECONDS]\n";

const char* const kKeys =
    "Keys: Space pause/play; Left/Right seek 1 s (Shift: 10 s); Page Up/Page Down previous/next\n"
    "scene; Home to 0; , and . one frame back/forward while paused; L loop the current scene;\n"
    "M mute; F1 overlay; F5 reload shaders and images; F12 screenshot; Escape quit.\n";

bool parseLoop(const std::string& text, double* from, double* to) {
  char tail = 0;
  return std::sscanf(text.c_str(), "%lf:%lf%c", from, to, &tail) == 2 && *from >= 0 && *from < *to &&
         *to <= Transport::kShowEnd;
}

// The option values as typed, where they need more than CLI11's checks.
struct TypedValues {
  std::string size, loop;
  bool help = false;
};

// Every option of the player, with the text --help prints for it. Returns the
// --at option, whose count says whether it was given.
CLI::Option* declareOptions(CLI::App* app, TypedValues* typed, DevOptions* options) {
  lb_cli::configure(app, kSynopsis, kKeys, &typed->help);
  app->add_option("--size", typed->size, "window size in pixels (default 1280x720)")->type_name("WxH");
  app->add_flag("--fullscreen", options->fullscreen, "a full-screen desktop window instead");
  CLI::Option* at = app->add_option("--at", options->at, "starts at this clock value, in seconds")
                        ->type_name("SECONDS")
                        ->check(CLI::Range(0.0, Transport::kShowEnd));
  CLI::Option* scene = app->add_option("--scene", options->scene, "starts at the start of this scene (its class name)")
                           ->type_name("NAME");
  at->excludes(scene);
  app->add_option("--loop", typed->loop, "loops the span A:B (seconds); starts at A unless --at or --scene\n"
                                         "says otherwise")
      ->type_name("A:B");
  app->add_flag("--mute", options->mute, "starts with the music muted");
  app->add_flag("--clean", options->clean, "starts with the overlay hidden (F1 shows it)");
  app->add_flag("--watch-content", options->watchContent,
                "also watches content/ and regenerates the data set when a source\n"
                "there changes (Linux only: the generator is built there)");
  app->add_option("--stats", options->statsEvery,
                  "every SECONDS of wall time, prints a line with the live GL objects\n"
                  "(programs, shaders, textures, buffers, ...) and the reloads so far")
      ->type_name("SECONDS")
      ->check(CLI::Range(0.1, 86400.0));
  return at;
}

// Gives the typed values their meaning; false with the reason in *error.
bool readValues(const TypedValues& typed, DevOptions* options, std::string* error) {
  if (!typed.size.empty() && !lb_render::parseSize(typed.size, &options->width, &options->height)) {
    *error = "--size needs WIDTHxHEIGHT in pixels (1 to 16384 each), not '" + typed.size + "'";
    return false;
  }
  if (!typed.loop.empty()) {
    if (!parseLoop(typed.loop, &options->loopFrom, &options->loopTo)) {
      *error = "--loop needs A:B in seconds with 0 <= A < B <= 130, not '" + typed.loop + "'";
      return false;
    }
    options->loopGiven = true;
  }
  return true;
}

}  // namespace

bool readDevOptions(int argc, const char* const* argv, DevOptions* options, int* status) {
  CLI::App app("Plays the show under a transport (seek, pause, loop, frame steps), with an overlay\n"
               "and live reloading of shaders and images.",
               "lattice-bloom-dev");
  TypedValues typed;
  const CLI::Option* at = declareOptions(&app, &typed, options);
  std::string error;
  if (!lb_cli::parse(&app, argc, argv, &error) || (!typed.help && !readValues(typed, options, &error))) {
    *status = lb_cli::refuse(app, error);
    return false;
  }
  if (typed.help) {
    std::printf("%s", app.help().c_str());
    *status = 0;
    return false;
  }
  options->atGiven = at->count() > 0;
  return true;
}

}  // namespace lb_dev
