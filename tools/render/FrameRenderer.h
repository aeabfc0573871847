#pragma once
// Renders one frame of a demo at a given clock value into the default
// framebuffer and reads it back, rows top-first.

#include <vector>

namespace lb_engine {
class Demo;
}

namespace lb_render {

// 8-bit RGB pixels, rows top-first, no padding.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;
};

class FrameRenderer {
 public:
  // `demo` has been constructed and initialised in the current GL context,
  // whose default framebuffer is width x height.
  FrameRenderer(lb_engine::Demo* demo, int width, int height);

  // Clears the window to opaque black (so a clock value at which no scene is
  // active gives a black frame), calls Demo::show(t) exactly as the show's loop
  // does, and reads the result. The clear colour the scenes hand on to each
  // other is saved and restored around the renderer's own clear.
  void render(double t, Image* image);

 private:
  lb_engine::Demo* demo_;
  int width_;
  int height_;
  std::vector<unsigned char> rgba_;  // read-back buffer, reused between frames
};

}  // namespace lb_render
