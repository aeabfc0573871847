#pragma once
// Frames as 8-bit RGB read from PNG files with libpng's simplified reader
// (independently of the renderer's writer), and the per-channel tolerance that
// every comparison of rendered frames shares. Needs only libpng, so the small
// programs of the end-to-end watch use it as well as the regressions.

#include <png.h>

#include <cstring>
#include <string>
#include <vector>

namespace lb_test {

// Decodes `path` to RGB, top row first; on failure sets `error` to
// "PATH: libpng's message".
inline bool readPngRgb(const std::string& path, int* width, int* height, std::vector<unsigned char>* rgb,
                       std::string* error) {
  png_image decoded;
  std::memset(&decoded, 0, sizeof decoded);
  decoded.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&decoded, path.c_str())) {
    *error = path + ": " + decoded.message;
    return false;
  }
  decoded.format = PNG_FORMAT_RGB;
  *width = static_cast<int>(decoded.width);
  *height = static_cast<int>(decoded.height);
  rgb->resize(PNG_IMAGE_SIZE(decoded));
  if (!png_image_finish_read(&decoded, nullptr, rgb->data(), 0, nullptr)) {
    *error = path + ": " + decoded.message;
    png_image_free(&decoded);
    return false;
  }
  return true;
}

// A pixel differs when any channel differs by more than this many levels of
// 255. Rasterisers differ in the last bit of shading and in which pixels an
// edge covers; a few levels anywhere pass.
const int kChannelTolerance = 24;

}  // namespace lb_test
