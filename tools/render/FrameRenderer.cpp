#include "FrameRenderer.h"

#include "Demo.h"
#include "Gl.h"

#include <cstring>

namespace lb_render {

FrameRenderer::FrameRenderer(lb_engine::Demo* demo, int width, int height)
    : demo_(demo), width_(width), height_(height), rgba_(static_cast<size_t>(width) * height * 4) {}

void FrameRenderer::render(double t, Image* image) {
  // Every scene leaves the window's framebuffer bound when it is done, so
  // binding it here changes nothing a scene relies on.
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  GLfloat savedClear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, savedClear);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glClearColor(savedClear[0], savedClear[1], savedClear[2], savedClear[3]);

  demo_->show(t);

  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba_.data());

  image->width = width_;
  image->height = height_;
  image->rgb.resize(static_cast<size_t>(width_) * height_ * 3);
  // GL's rows run bottom-first; the alpha channel is dropped, as the screen shows it.
  for (int y = 0; y < height_; ++y) {
    const unsigned char* src = rgba_.data() + static_cast<size_t>(height_ - 1 - y) * width_ * 4;
    unsigned char* dst = image->rgb.data() + static_cast<size_t>(y) * width_ * 3;
    for (int x = 0; x < width_; ++x) {
      dst[3 * x + 0] = src[4 * x + 0];
      dst[3 * x + 1] = src[4 * x + 1];
      dst[3 * x + 2] = src[4 * x + 2];
    }
  }
}

}  // namespace lb_render
