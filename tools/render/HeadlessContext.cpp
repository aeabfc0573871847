#include "HeadlessContext.h"

#include "Gl.h"
#include "GlLoader.h"
#include "SdlVideo.h"

#include <SDL.h>

namespace lb_render {

HeadlessContext::~HeadlessContext() {
  if (context_ != nullptr) SDL_GL_DeleteContext(context_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  if (sdlStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool HeadlessContext::create(int width, int height, std::string* error, bool debug) {
  // Frames are read back from the GL context, so SDL's window-less driver serves
  // as well as a display does.
  std::string videoError;
  if (!lb_engine::startSdlVideo(&videoError, true)) {
    *error = "cannot start SDL video (is there a display? try xvfb-run): " + videoError;
    return false;
  }
  sdlStarted_ = true;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, debug ? SDL_GL_CONTEXT_DEBUG_FLAG : 0);
  window_ = SDL_CreateWindow("lattice-bloom-render", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width,
                             height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window_ == nullptr) {
    *error = std::string("cannot open a hidden OpenGL window: ") + SDL_GetError();
    return false;
  }
  context_ = SDL_GL_CreateContext(window_);
  if (context_ == nullptr) {
    *error = std::string("cannot create an OpenGL 4.1 core-profile") + (debug ? " debug" : "") +
             " context: " + SDL_GetError();
    return false;
  }
  if (!lb_engine::loadGlEntryPoints(error)) return false;

  int drawableWidth = 0;
  int drawableHeight = 0;
  SDL_GL_GetDrawableSize(window_, &drawableWidth, &drawableHeight);
  if (drawableWidth != width || drawableHeight != height) {
    *error = "the window's drawable is " + std::to_string(drawableWidth) + "x" + std::to_string(drawableHeight) +
             ", not the requested " + std::to_string(width) + "x" + std::to_string(height);
    return false;
  }
  glViewport(0, 0, width, height);
  return true;
}

}  // namespace lb_render
