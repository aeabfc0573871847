#include "GlContext.h"

#include "Gl.h"

#include <SDL.h>

namespace lb_test {

namespace {
SDL_Window* gWindow = nullptr;
}

bool GlContext::ensure(int width, int height, std::string* error) {
  if (gWindow != nullptr) return true;
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    *error = std::string("SDL_Init failed: ") + SDL_GetError();
    return false;
  }
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
  glewExperimental = GL_TRUE;
  const GLenum status = glewInit();
  if (status != GLEW_OK) {
    *error = std::string("glewInit failed: ") + reinterpret_cast<const char*>(glewGetErrorString(status));
    return false;
  }
  glGetError();
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
