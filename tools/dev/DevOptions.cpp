#include "DevOptions.h"

#include "Transport.h"

#include <CLI/CLI.hpp>

#include <cstdio>

namespace lb_dev {

namespace {

const char* const kKeys =
    "\nKeys: Space pause/play; Left/Right seek 1 s (Shift: 10 s); Page Up/Page Down previous/next\n"
    "scene; Home to 0; , and . one frame back/forward while paused; L loop the current scene;\n"
    "M mute; F1 overlay; F5 reload shaders and images; F12 screenshot; Escape quit.\n";

bool parseSize(const std::string& text, int* width, int* height) {
  char tail = 0;
  return std::sscanf(text.c_str(), "%dx%d%c", width, height, &tail) == 2 && *width > 0 && *height > 0 &&
         *width <= 16384 && *height <= 16384;
}

bool parseLoop(const std::string& text, double* from, double* to) {
  char tail = 0;
  return std::sscanf(text.c_str(), "%lf:%lf%c", from, to, &tail) == 2 && *from >= 0 && *from < *to &&
         *to <= Transport::kShowEnd;
}

}  // namespace

ParseOutcome parseDevOptions(int argc, const char* const* argv, DevOptions* options, std::string* text) {
  CLI::App app("lattice-bloom-dev: plays the show under a transport (seek, pause, loop, frame steps),\n"
               "with an overlay and live reloading of shaders and images.",
               "lattice-bloom-dev");
  app.footer(kKeys);
  std::string size, loop;
  app.add_option("--size", size, "Window size in pixels (default 1280x720)")->type_name("WxH");
  app.add_flag("--fullscreen", options->fullscreen, "Full-screen desktop window instead");
  CLI::Option* at = app.add_option("--at", options->at, "Start at this clock value, in seconds")
                        ->type_name("SECONDS")
                        ->check(CLI::Range(0.0, Transport::kShowEnd));
  CLI::Option* scene = app.add_option("--scene", options->scene, "Start at the start of this scene (its class name)")
                          ->type_name("NAME");
  at->excludes(scene);
  app.add_option("--loop", loop, "Loop the span A:B (seconds); starts at A unless --at or --scene says otherwise")
      ->type_name("A:B");
  app.add_flag("--mute", options->mute, "Start with the music muted");
  app.add_flag("--clean", options->clean, "Start with the overlay hidden (F1 shows it)");
  app.add_flag("--watch-content", options->watchContent,
               "Also watch content/ and regenerate the data set when a source there changes");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    *text = app.help();
    return ParseOutcome::kHelp;
  } catch (const CLI::ParseError& e) {
    *text = e.what();
    return ParseOutcome::kError;
  }
  if (!size.empty() && !parseSize(size, &options->width, &options->height)) {
    *text = "--size: expected WxH with positive whole numbers (such as 1280x720), not \"" + size + "\"";
    return ParseOutcome::kError;
  }
  if (!loop.empty()) {
    if (!parseLoop(loop, &options->loopFrom, &options->loopTo)) {
      *text = "--loop: expected A:B in seconds with 0 <= A < B <= 130, not \"" + loop + "\"";
      return ParseOutcome::kError;
    }
    options->loopGiven = true;
  }
  options->atGiven = at->count() > 0;
  return ParseOutcome::kRun;
}

}  // namespace lb_dev
