#include "FrameRenderer.h"

#include "Demo.h"
#include "Gl.h"

#include <cstring>

namespace lb_render {

FrameRenderer::FrameRenderer(lb_engine::Demo* demo, int width, int height)
    : demo_(demo), width_(width), height_(height), rgba_(static_cast<size_t>(width) * height * 4) {}

void showFrame(lb_engine::Demo* demo, double t) {
  // Every scene leaves the window's framebuffer bound when it is done, so
  // binding it here changes nothing a scene relies on.
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  GLfloat savedClear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, savedClear);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glClearColor(savedClear[0], savedClear[1], savedClear[2], savedClear[3]);
  demo->show(t);
}

void readFrame(int width, int height, std::vector<unsigned char>* rgba, Image* image) {
  rgba->resize(static_cast<size_t>(width) * height * 4);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba->data());

  image->width = width;
  image->height = height;
  image->rgb.resize(static_cast<size_t>(width) * height * 3);
  // GL's rows run bottom-first; the alpha channel is dropped, as the screen shows it.
  for (int y = 0; y < height; ++y) {
    const unsigned char* src = rgba->data() + static_cast<size_t>(height - 1 - y) * width * 4;
    unsigned char* dst = image->rgb.data() + static_cast<size_t>(y) * width * 3;
    for (int x = 0; x < width; ++x) {
      dst[3 * x + 0] = src[4 * x + 0];
      dst[3 * x + 1] = src[4 * x + 1];
      dst[3 * x + 2] = src[4 * x + 2];
    }
  }
}

void FrameRenderer::render(double t, Image* image) {
  showFrame(demo_, t);
  readFrame(width_, height_, &rgba_, image);
}

}  // namespace lb_render
