#pragma once
// Decoding of JPEG, PNG and uncompressed TGA file bytes into a pixel buffer ready
// for glTexImage2D, apart from any GL context so that it can be tested and fuzzed
// on its own. Every decoder hands back rows bottom row first, tightly packed, and
// never reads or writes outside the given bytes or its own buffers.

#include "FileBytes.h"  // readFileBytes, which callers of the decoders use to get the bytes

#include <cstddef>
#include <string>
#include <vector>

namespace lb_engine {

// Largest width or height accepted from any image header; larger values are
// rejected before anything is allocated.
constexpr int kMaxImageDimension = 16384;

struct DecodedImage {
  int width = 0;
  int height = 0;
  int channels = 0;         // bytes per pixel in `pixels`
  unsigned int format = 0;  // GL pixel format of `pixels`: GL_RGB, GL_RGBA, GL_BGR, GL_BGRA or GL_RED
  std::vector<unsigned char> pixels;  // width * height * channels bytes, bottom row first
};

// Each returns true with `image` filled, or false with `error` saying what is
// wrong (and `image` left empty). A JPEG is kept despite libjpeg warnings that
// leave every block with its data (stray bytes before a marker, header fields
// this reader does not use) and refused on those that mean missing or invented
// data; ImageDecoder.cpp lists which.
bool decodeJPEG(const unsigned char* data, size_t size, DecodedImage* image, std::string* error);
bool decodePNG(const unsigned char* data, size_t size, DecodedImage* image, std::string* error);
bool decodeTGA(const unsigned char* data, size_t size, DecodedImage* image, std::string* error);

// The same picture as 4-channel GL_RGBA pixels, made the way desktop OpenGL
// makes GL_RGBA texels of the other formats: BGR orders swapped, a missing
// green and blue 0, a missing alpha 255. OpenGL ES uploads nothing else into
// a GL_RGBA texture.
DecodedImage expandedToRgba(const DecodedImage& image);

}  // namespace lb_engine
