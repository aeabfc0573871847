#pragma once
// A hidden SDL window of a given size with a current OpenGL 4.1 core-profile
// context and GLEW's entry points loaded: the show's context, without showing it.

#include "NonCopyable.h"

#include <string>

struct SDL_Window;

namespace lb_render {

class HeadlessContext : lb_engine::NonCopyable {
 public:
  HeadlessContext() = default;
  ~HeadlessContext();

  // Returns false with a message in *error when the window or context cannot
  // be made, or when the drawable does not come out at the requested size.
  // `debug` asks for a debug context, in which drivers report through KHR_debug.
  bool create(int width, int height, std::string* error, bool debug = false);

 private:
  SDL_Window* window_ = nullptr;
  void* context_ = nullptr;
  bool sdlStarted_ = false;
};

}  // namespace lb_render
