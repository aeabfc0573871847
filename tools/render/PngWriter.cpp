#include "PngWriter.h"

#include "FrameRenderer.h"
#include "OutputFile.h"
#include "Platform.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace lb_render {

namespace {

// Kept free of C++ objects with destructors: libpng reports errors by longjmp.
bool writeRows(FILE* file, int width, int height, png_bytep* rows, bool fast, char* message, size_t messageSize) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) {
    std::snprintf(message, messageSize, "out of memory");
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    std::snprintf(message, messageSize, "out of memory");
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::snprintf(message, messageSize, "libpng failed to encode the image");
    return false;
  }
  png_init_io(png, file);
  if (fast) {
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  }
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool writePng(const std::string& path, const Image& image, std::string* error, PngCompression compression) {
  if (image.width <= 0 || image.height <= 0 ||
      image.rgb.size() != static_cast<size_t>(image.width) * image.height * 3) {
    *error = "cannot write " + path + ": the image has no pixels or the wrong number of them";
    return false;
  }
  // Written beside the target and renamed over it once complete: a frame that
  // does not fit never leaves a truncated file, nor destroys the one there.
  lb_engine::OutputFile output(path);
  FILE* file = lb_engine::openFile(output.temporary(), "wb");
  if (file == nullptr) {
    *error = "cannot write " + path + ": " + std::strerror(errno) + "; " + output.unchangedNote();
    return false;
  }
  std::vector<png_bytep> rows(static_cast<size_t>(image.height));
  for (int y = 0; y < image.height; ++y)
    rows[static_cast<size_t>(y)] =
        const_cast<png_bytep>(image.rgb.data() + static_cast<size_t>(y) * image.width * 3);
  char message[128] = {0};
  errno = 0;
  const bool encoded = writeRows(file, image.width, image.height, rows.data(), compression == PngCompression::kFast,
                                   message, sizeof message);
  // libpng reports a short write only as its own error; errno says why.
  const int writeErrno = errno;
  const bool closed = std::fclose(file) == 0;
  if (!encoded) {
    *error = "cannot write " + path + ": " + message + (writeErrno != 0 ? std::string(" (") + std::strerror(writeErrno) + ")" : "") +
             "; " + output.unchangedNote();
    return false;
  }
  if (!closed) {
    *error = "cannot write " + path + ": " + std::strerror(errno) + "; " + output.unchangedNote();
    return false;
  }
  return output.commit(error);
}

}  // namespace lb_render
