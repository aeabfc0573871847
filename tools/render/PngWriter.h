#pragma once
// Writes an Image as an 8-bit RGB PNG file.

#include <string>

namespace lb_render {

struct Image;

// How hard zlib works. Measured on a 1920x1080 frame of BouncingCubes
// (libpng 1.6, one core): libpng's default (level 6, each row's filter chosen
// adaptively) 420 ms and 2.63 MB; level 1 with the Sub filter on every row
// 106 ms and 2.90 MB, 10% larger for a quarter of the time. Level 1 with the
// adaptive choice took 191 ms, level 3 with Sub 156 ms.
enum class PngCompression {
  kSmallest,  // libpng's default: single frames, the contact sheet
  kFast,      // level 1, Sub filter: frame sequences, thousands of files
};

// Returns false with a message naming the path in *error on failure.
bool writePng(const std::string& path, const Image& image, std::string* error,
              PngCompression compression = PngCompression::kSmallest);

}  // namespace lb_render
