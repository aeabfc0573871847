#pragma once
// Writes an Image as an 8-bit RGB PNG file.

#include <string>

namespace lb_render {

struct Image;

// Returns false with a message naming the path in *error on failure.
bool writePng(const std::string& path, const Image& image, std::string* error);

}  // namespace lb_render
