#include "FatalError.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace lb_engine {

namespace {

std::string boxTitle;
FatalReporter fatalReporter = nullptr;

bool boxesSuppressed() {
  const char* off = std::getenv("LB_NO_ERROR_BOX");
  return off != nullptr && off[0] != '\0';
}

}  // namespace

void enableErrorBox(const char* title) { boxTitle = title; }

const std::string& errorBoxTitle() { return boxTitle; }

void reportError(const char* program, const std::string& message) {
  if (program != nullptr && program[0] != '\0') std::fprintf(stderr, "%s: %s\n", program, message.c_str());
  else std::fprintf(stderr, "%s\n", message.c_str());
  std::fflush(stderr);
  if (boxTitle.empty() || boxesSuppressed()) return;
  // Works before SDL_Init and without a window; where there is no display at
  // all it fails at once, and standard error has the message already.
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, boxTitle.c_str(), message.c_str(), nullptr);
}

void setFatalReporter(FatalReporter reporter) { fatalReporter = reporter; }

void fatalError(const std::string& message) {
  reportError("", message);
  if (fatalReporter != nullptr) fatalReporter(message);
  std::exit(1);
}

}  // namespace lb_engine
