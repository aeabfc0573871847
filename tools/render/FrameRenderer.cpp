#include "FrameRenderer.h"

#include "Demo.h"
#include "Gl.h"

#include <cstring>

namespace lb_render {

namespace {

// GL's rows run bottom-first; the alpha channel is dropped, as the screen shows it.
void toTopFirstRgb(const unsigned char* rgba, int width, int height, Image* image) {
  image->width = width;
  image->height = height;
  image->rgb.resize(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    const unsigned char* src = rgba + static_cast<size_t>(height - 1 - y) * width * 4;
    unsigned char* dst = image->rgb.data() + static_cast<size_t>(y) * width * 3;
    for (int x = 0; x < width; ++x) {
      dst[3 * x + 0] = src[4 * x + 0];
      dst[3 * x + 1] = src[4 * x + 1];
      dst[3 * x + 2] = src[4 * x + 2];
    }
  }
}

}  // namespace

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
  toTopFirstRgb(rgba->data(), width, height, image);
}

FrameRenderer::FrameRenderer(lb_engine::Demo* demo, int width, int height)
    : demo_(demo), width_(width), height_(height) {
  glGenBuffers(static_cast<GLsizei>(kMaxInFlight), buffers_);
  for (unsigned buffer : buffers_) {
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
    glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(width) * height * 4, nullptr, GL_STREAM_READ);
  }
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

FrameRenderer::~FrameRenderer() { glDeleteBuffers(static_cast<GLsizei>(kMaxInFlight), buffers_); }

void FrameRenderer::submit(double t) {
  showFrame(demo_, t);

  // Into a pixel buffer: the call returns once the copy is queued, and the
  // pixels are waited for only when collect() maps the buffer. The pack buffer
  // binding is the renderer's alone; no scene reads pixels.
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[next_]);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  next_ = (next_ + 1) % kMaxInFlight;
  ++pending_;
}

void FrameRenderer::collect(Image* image) {
  if (pending_ == 0) return;
  const size_t oldest = (next_ + kMaxInFlight - pending_) % kMaxInFlight;
  --pending_;
  image->width = width_;
  image->height = height_;
  image->rgb.resize(static_cast<size_t>(width_) * height_ * 3);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[oldest]);
  const auto* rgba = static_cast<const unsigned char*>(
      glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, static_cast<GLsizeiptr>(width_) * height_ * 4, GL_MAP_READ_BIT));
  if (rgba == nullptr) {
    // Only a lost context gets here; a black frame, and the GL error check
    // after the frame reports the failed map.
    std::memset(image->rgb.data(), 0, image->rgb.size());
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    return;
  }
  toTopFirstRgb(rgba, width_, height_, image);
  glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

void FrameRenderer::render(double t, Image* image) {
  while (pending_ > 0) {
    Image earlier;  // frames submitted before and never collected are dropped
    collect(&earlier);
  }
  submit(t);
  collect(image);
}

}  // namespace lb_render
