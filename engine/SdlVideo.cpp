#include "SdlVideo.h"

#include <SDL.h>

#include <cstring>

namespace lb_engine {

namespace {

const int kStartAttempts = 10;
const Uint32 kRetryDelayMs = 100;  // ten tries span about a second

bool showsNothing(const char* driver) {
  return driver == nullptr || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0 ||
         std::strcmp(driver, "evdev") == 0;
}

}  // namespace

bool startSdlVideo(std::string* error, bool windowlessWillDo) {
  const char* requested = SDL_getenv("SDL_VIDEODRIVER");
  const bool driverRequested = requested != nullptr && requested[0] != '\0';
  std::string reason;
  for (int attempt = 1; attempt <= kStartAttempts; ++attempt) {
    if (attempt > 1) SDL_Delay(kRetryDelayMs);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      reason = SDL_GetError();
      continue;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driverRequested || windowlessWillDo || !showsNothing(driver)) return true;
    reason = std::string("no display could be reached (SDL fell back to its window-less \"") +
             (driver != nullptr ? driver : "?") + "\" driver)";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  *error = reason + "; tried " + std::to_string(kStartAttempts) + " times";
  return false;
}

}  // namespace lb_engine
