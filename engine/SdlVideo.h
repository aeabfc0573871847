#pragma once
// Starts SDL's video subsystem on a display the viewer can see.
//
// When SDL cannot reach the display it does not fail: it falls back to its
// window-less "offscreen" driver, and a show would then play to nobody. An X
// server also resets a new connection now and then when clients come and go
// quickly (Xvfb under a parallel test run does it about once in a few hundred
// connections), so a failed or window-less start is retried a few times before
// it is reported.

#include <string>

namespace lb_engine {

// Returns false with the reason in `error` when no video driver could be started,
// or (unless `windowlessWillDo`, as for off-screen rendering) only a window-less
// one. A driver named in SDL_VIDEODRIVER is taken as it comes, window-less or
// not: that is the caller asking for it.
bool startSdlVideo(std::string* error, bool windowlessWillDo = false);

}  // namespace lb_engine
