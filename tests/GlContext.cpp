#include "GlContext.h"

#include "Gl.h"
#include "GlLoader.h"
#include "SdlVideo.h"

#include <SDL.h>

namespace lb_test {

namespace {
SDL_Window* gWindow = nullptr;
}

bool GlContext::ensure(int width, int height, std::string* error) {
  if (gWindow != nullptr) return true;
  // The same start as the show's, so that GL tests run on the X server's GLX
  // rather than on SDL's window-less fallback.
  if (!lb_engine::startSdlVideo(error)) return false;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  gWindow = SDL_CreateWindow("lb_tests", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (gWindow == nullptr) {
    *error = std::string("SDL_CreateWindow failed: ") + SDL_GetError();
    return false;
  }
  if (SDL_GL_CreateContext(gWindow) == nullptr) {
    *error = std::string("no OpenGL 4.1 core context: ") + SDL_GetError();
    return false;
  }
  if (!lb_engine::loadGlEntryPoints(error)) return false;
  glViewport(0, 0, width, height);
  return true;
}

SDL_Window* GlContext::window() { return gWindow; }

std::vector<unsigned char> readPixels(int width, int height) {
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

}  // namespace lb_test
