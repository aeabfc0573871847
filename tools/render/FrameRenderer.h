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

// One frame of the show as the offline renderer makes it, into the currently
// bound window framebuffer: cleared to opaque black first (so a clock value at
// which no scene is active gives a black frame), then Demo::show(t) exactly as
// the show's loop calls it. The clear colour the scenes hand on to each other is
// saved and restored around this clear. The director's player draws its frames
// through here too, so that both give the same pixels.
void showFrame(lb_engine::Demo* demo, double t);

// Reads the window framebuffer (width x height) into `image`, rows top-first,
// alpha dropped; `rgba` is scratch space, reused between calls.
void readFrame(int width, int height, std::vector<unsigned char>* rgba, Image* image);

class FrameRenderer {
 public:
  // `demo` has been constructed and initialised in the current GL context,
  // whose default framebuffer is width x height.
  FrameRenderer(lb_engine::Demo* demo, int width, int height);

  // showFrame(demo, t), then readFrame.
  void render(double t, Image* image);

 private:
  lb_engine::Demo* demo_;
  int width_;
  int height_;
  std::vector<unsigned char> rgba_;  // read-back buffer, reused between frames
};

}  // namespace lb_render
