#pragma once
// Renders frames of a demo at given clock values into the default framebuffer
// and reads them back, rows top-first. Read-back goes through a ring of pixel
// buffer objects, so that a caller may render frame k + 1 while frame k's
// pixels are still being copied out of the framebuffer.

#include <cstddef>
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

// Reads the window framebuffer (width x height) into `image` at once, rows
// top-first, alpha dropped; `rgba` is scratch space, reused between calls.
void readFrame(int width, int height, std::vector<unsigned char>* rgba, Image* image);

class FrameRenderer {
 public:
  // Most frames read back but not yet collected: with two in flight the
  // driver copies frame k while the next one is drawn.
  static const size_t kMaxInFlight = 2;

  // `demo` has been constructed and initialised in the current GL context,
  // whose default framebuffer is width x height.
  FrameRenderer(lb_engine::Demo* demo, int width, int height);
  ~FrameRenderer();
  FrameRenderer(const FrameRenderer&) = delete;
  FrameRenderer& operator=(const FrameRenderer&) = delete;

  // showFrame(demo, t), then starts reading the result into the next pixel
  // buffer. At most kMaxInFlight frames may be pending.
  void submit(double t);

  // Frames submitted and not yet collected.
  size_t pending() const { return pending_; }

  // Waits for the oldest pending frame's pixels and puts them into *image.
  void collect(Image* image);

  // submit(t) and collect(image): one frame, read back before returning.
  // Frames still pending from earlier submits are collected and dropped first.
  void render(double t, Image* image);

 private:
  lb_engine::Demo* demo_;
  int width_;
  int height_;
  unsigned buffers_[kMaxInFlight] = {};  // pixel pack buffers, used in turn
  size_t next_ = 0;                       // the buffer the next submit fills
  size_t pending_ = 0;
};

}  // namespace lb_render
