#include "DevOptions.h"

#include "CommandLine.h"
#include "MusicGrid.h"
#include "RenderOptions.h"  // lb_render::parseSize: the same WxH rules as the renderer
#include "Transport.h"

#include <cstdio>

namespace lb_dev {

namespace {

const char* const kSynopsis =
    "usage: lattice-bloom-dev [--at TIME | --scene NAME] [--loop A:B] [--size WxH] [--fullscreen]\n"
    "                         [--mute] [--clean] [--watch-content] [--stats SECONDS]\n";

const char* const kKeys =
    "A TIME is seconds (61.692) or a bar of the music: b33 is bar 33, b33.2 its second beat;\n"
    "the end of a loop A:B given as a bar is the end of that bar (--loop b33:b36: four bars).\n"
    "Keys: Space pause/play; Left/Right seek 1 s (Shift: 10 s); Up/Down next/previous beat\n"
    "(Shift: bar); Page Up/Page Down previous/next scene; 1-9, 0 the start of scene 1-10;\n"
    "Home to 0; , and . one frame back/forward while paused; L loop the current scene;\n"
    "B loop N bars from the current one; N sets N (1, 2, 4, 8); M mute; F1 overlay;\n"
    "F5 reload shaders and images; F12 screenshot; Escape quit.\n";

// A clock value within the show, typed as seconds or as a bar.
bool readShowTime(const std::string& text, lb_music::GridEdge edge, double* seconds, std::string* problem) {
  if (!lb_music::readClock(text, edge, seconds, problem)) return false;
  if (*seconds >= 0 && *seconds <= Transport::kShowEnd) return true;
  *problem = "'" + text + "' lies outside the show (0 to 130 s)";
  return false;
}

// The option values as typed, where they need more than CLI11's checks.
struct TypedValues {
  std::string size, loop, at;
  bool help = false;
};

// Every option of the player, with the text --help prints for it.
void declareOptions(CLI::App* app, TypedValues* typed, DevOptions* options) {
  lb_cli::configure(app, kSynopsis, kKeys, &typed->help);
  app->add_option("--size", typed->size, "window size in pixels (default 1280x720)")->type_name("WxH");
  app->add_flag("--fullscreen", options->fullscreen, "a full-screen desktop window instead");
  CLI::Option* at = app->add_option("--at", typed->at, "starts at this clock value (a TIME)")->type_name("TIME");
  CLI::Option* scene = app->add_option("--scene", options->scene, "starts at the start of this scene (its class name)")
                           ->type_name("NAME");
  at->excludes(scene);
  app->add_option("--loop", typed->loop, "loops the span A:B (TIMEs); starts at A unless --at or --scene\n"
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
}

// Gives the typed values their meaning; false with the reason in *error.
bool readValues(const TypedValues& typed, DevOptions* options, std::string* error) {
  if (!typed.size.empty() && !lb_render::parseSize(typed.size, &options->width, &options->height)) {
    *error = "--size needs WIDTHxHEIGHT in pixels (1 to 16384 each), not '" + typed.size + "'";
    return false;
  }
  std::string problem;
  if (!typed.at.empty()) {
    if (!readShowTime(typed.at, lb_music::GridEdge::kStart, &options->at, &problem)) {
      *error = "--at " + problem;
      return false;
    }
    options->atGiven = true;
  }
  if (!typed.loop.empty()) {
    const size_t colon = typed.loop.find(':');
    if (colon == std::string::npos) {
      *error = "--loop needs A:B (b33:b36 or 61.692:69.512), not '" + typed.loop + "'";
      return false;
    }
    if (!readShowTime(typed.loop.substr(0, colon), lb_music::GridEdge::kStart, &options->loopFrom, &problem) ||
        !readShowTime(typed.loop.substr(colon + 1), lb_music::GridEdge::kEnd, &options->loopTo, &problem)) {
      *error = "--loop " + problem;
      return false;
    }
    if (!(options->loopFrom < options->loopTo)) {
      *error = "--loop needs A before B, not '" + typed.loop + "'";
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
  declareOptions(&app, &typed, options);
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
  return true;
}

}  // namespace lb_dev
