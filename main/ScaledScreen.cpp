#include "ScaledScreen.h"

#include "Gl.h"


namespace lb_show {

Rect letterbox(int width, int height, int screenWidth, int screenHeight) {
  Rect r;
  // Compared in integers: width / height against screenWidth / screenHeight.
  if (static_cast<long long>(screenWidth) * height <= static_cast<long long>(screenHeight) * width) {
    r.width = screenWidth;  // as wide as the screen, bars above and below
    r.height = static_cast<int>((static_cast<long long>(screenWidth) * height + width / 2) / width);
  } else {
    r.height = screenHeight;  // as high as the screen, bars left and right
    r.width = static_cast<int>((static_cast<long long>(screenHeight) * width + height / 2) / height);
  }
  r.x = (screenWidth - r.width) / 2;
  r.y = (screenHeight - r.height) / 2;
  return r;
}

ScaledScreen::ScaledScreen(int width, int height, int screenWidth, int screenHeight)
    : width_(width),
      height_(height),
      screenWidth_(screenWidth),
      screenHeight_(screenHeight),
      target_(letterbox(width, height, screenWidth, screenHeight)) {
  glGenTextures(1, &colour_);
  glBindTexture(GL_TEXTURE_2D, colour_);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glBindTexture(GL_TEXTURE_2D, 0);
  glGenFramebuffers(1, &framebuffer_);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour_, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

ScaledScreen::~ScaledScreen() {
  glDeleteFramebuffers(1, &framebuffer_);
  glDeleteTextures(1, &colour_);
}

void ScaledScreen::beginFrame() const {
  // The scenes without a render buffer never set a viewport of their own.
  glViewport(0, 0, width_, height_);
}

void ScaledScreen::present() const {
  // A framebuffer cannot be blitted onto itself: the corner goes to the copy
  // first, then back over the cleared screen, filtered as it is enlarged.
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer_);
  glBlitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  // The clear colour is state the scenes hand on to each other: kept as it was.
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  glClearColor(0, 0, 0, 1);
  glViewport(0, 0, screenWidth_, screenHeight_);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  glBlitFramebuffer(0, 0, width_, height_, target_.x, target_.y, target_.x + target_.width,
                    target_.y + target_.height, GL_COLOR_BUFFER_BIT, GL_LINEAR);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

}  // namespace lb_show
