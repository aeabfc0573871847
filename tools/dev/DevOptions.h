#pragma once
// The director's player's command line, every option in one struct.

#include <string>

namespace lb_dev {

struct DevOptions {
  int width = 1280;
  int height = 720;
  bool fullscreen = false;
  bool atGiven = false;
  double at = 0.0;        // --at SECONDS
  std::string scene;      // --scene NAME (checked against the scenes once they exist)
  bool loopGiven = false;
  double loopFrom = 0.0;  // --loop A:B
  double loopTo = 0.0;
  bool mute = false;
  bool clean = false;     // overlay hidden at start
  bool watchContent = false;
};

enum class ParseOutcome { kRun, kHelp, kError };

// kHelp: `text` is the help to print on standard output (status 0). kError:
// `text` names the option and the problem, for standard error (status 2).
ParseOutcome parseDevOptions(int argc, const char* const* argv, DevOptions* options, std::string* text);

}  // namespace lb_dev
