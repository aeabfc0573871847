#include "Image.h"

#include <png.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace lb_datagen {

Image::Image(int width, int height, Rgba fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

Rgba& Image::wrap(int x, int y) {
  x %= width_;
  y %= height_;
  if (x < 0) x += width_;
  if (y < 0) y += height_;
  return at(x, y);
}

void Image::fillRect(int x0, int y0, int x1, int y1, const Rgba& c, bool wrapAround) {
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      if (wrapAround)
        wrap(x, y) = c;
      else if (x >= 0 && y >= 0 && x < width_ && y < height_)
        at(x, y) = c;
    }
}

std::vector<uint8_t> Image::bytes(int channels) const {
  std::vector<uint8_t> out(static_cast<size_t>(width_) * height_ * channels);
  auto q = [](float v) {
    const float c = std::min(1.0f, std::max(0.0f, v));
    return static_cast<uint8_t>(std::lround(c * 255.0f));
  };
  for (size_t i = 0; i < pixels_.size(); ++i) {
    const Rgba& p = pixels_[i];
    uint8_t* o = &out[i * channels];
    o[0] = q(p.r);
    o[1] = q(p.g);
    o[2] = q(p.b);
    if (channels == 4) o[3] = q(p.a);
  }
  return out;
}

bool writePng(const Image& img, bool withAlpha, const std::string& path, std::string* error) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    *error = path + ": cannot open for writing";
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    *error = path + ": PNG encoding failed";
    return false;
  }
  const int channels = withAlpha ? 4 : 3;
  const std::vector<uint8_t> data = img.bytes(channels);
  png_init_io(png, f);
  png_set_IHDR(png, info, img.width(), img.height(), 8,
               withAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < img.height(); ++y)
    png_write_row(png, const_cast<png_bytep>(&data[static_cast<size_t>(y) * img.width() * channels]));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  const bool ok = std::fclose(f) == 0;
  if (!ok) *error = path + ": write failed";
  return ok;
}

bool writeJpeg(const Image& img, int quality, const std::string& path, std::string* error) {
  const std::vector<uint8_t> data = img.bytes(3);
  tjhandle tj = tjInitCompress();
  if (tj == nullptr) {
    *error = "cannot initialise the JPEG encoder";
    return false;
  }
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  const int rc = tjCompress2(tj, data.data(), img.width(), 0, img.height(), TJPF_RGB, &jpeg, &size,
                             TJSAMP_444, quality, TJFLAG_ACCURATEDCT);
  if (rc != 0) {
    *error = path + ": JPEG encoding failed: " + tjGetErrorStr2(tj);
    tjDestroy(tj);
    return false;
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  bool ok = f != nullptr;
  if (ok) ok = std::fwrite(jpeg, 1, size, f) == size;
  if (f != nullptr && std::fclose(f) != 0) ok = false;
  tjFree(jpeg);
  tjDestroy(tj);
  if (!ok) *error = path + ": cannot write";
  return ok;
}

namespace {
float hashCell(int x, int y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
               seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return static_cast<float>(h & 0xFFFFFF) / static_cast<float>(0xFFFFFF);
}
}  // namespace

float valueNoise(float x, float y, int period, uint32_t seed) {
  const float fx = std::floor(x), fy = std::floor(y);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  float tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  auto cell = [&](int cx, int cy) {
    cx %= period;
    cy %= period;
    if (cx < 0) cx += period;
    if (cy < 0) cy += period;
    return hashCell(cx, cy, seed);
  };
  const float a = cell(ix, iy), b = cell(ix + 1, iy), c = cell(ix, iy + 1), d = cell(ix + 1, iy + 1);
  return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

}  // namespace lb_datagen
