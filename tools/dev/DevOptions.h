#pragma once
// The director's player's command line, every option in one struct.

#include <string>

namespace lb_dev {

struct DevOptions {
  int width = 1280;
  int height = 720;
  bool fullscreen = false;
  bool atGiven = false;
  double at = 0.0;        // --at TIME, in seconds
  std::string scene;      // --scene NAME (checked against the scenes once they exist)
  bool loopGiven = false;
  double loopFrom = 0.0;  // --loop A:B, in seconds (a bar as B counts to its end)
  double loopTo = 0.0;
  bool mute = false;
  bool clean = false;     // overlay hidden at start
  bool watchContent = false;
  double statsEvery = 0.0;  // --stats SECONDS: print the live GL object counts this often (0: never)
};

// Reads the command line into `options`. Returns true when the player should
// run; otherwise false with the exit status in *status: 0 after printing the
// help on standard output, 2 after refusing the command line on standard error
// ("lattice-bloom-dev: PROBLEM" and the help, worded as every tool here words it).
bool readDevOptions(int argc, const char* const* argv, DevOptions* options, int* status);

}  // namespace lb_dev
