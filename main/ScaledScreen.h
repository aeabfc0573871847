#pragma once
// Full screen at a drawing size of the viewer's choice (a weak machine on a 4K
// screen draws 1920x1080): the show draws into the lower-left corner of the
// window's framebuffer at that size, and present() scales the picture to fill
// the screen with its aspect kept, black bars on the sides that are left over.

#include "NonCopyable.h"

namespace lb_show {

// Where a picture of width x height goes on a screen of screenWidth x
// screenHeight: as large as fits with its aspect kept, centred.
struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};
Rect letterbox(int width, int height, int screenWidth, int screenHeight);

class ScaledScreen : lb_engine::NonCopyable {
 public:
  // In the current GL context, whose window framebuffer is screenWidth x
  // screenHeight; the drawing size must fit inside it.
  ScaledScreen(int width, int height, int screenWidth, int screenHeight);
  ~ScaledScreen();

  // Before the show draws a frame: its viewport is the drawing size.
  void beginFrame() const;
  // After it: the drawn corner, scaled over the whole screen.
  void present() const;

 private:
  int width_;
  int height_;
  int screenWidth_;
  int screenHeight_;
  Rect target_;
  unsigned framebuffer_ = 0;  // holds a copy of the drawn corner while the screen is cleared
  unsigned colour_ = 0;
};

}  // namespace lb_show
