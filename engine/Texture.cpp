#include "Texture.h"

#include "Gl.h"
#include "GlFlavour.h"
#include "FileBytes.h"
#include "ImageDecoder.h"
#include "TextureUpload.h"

#include <cstdio>
#include <string>
#include <vector>

namespace lb_engine {

namespace {

using Decoder = bool (*)(const unsigned char*, size_t, DecodedImage*, std::string*);

// Reads and decodes one file. A file that cannot be opened is silent (the show
// tolerates absent pictures); one that opens but does not decode gets one line on
// standard error. Either way the caller uploads nothing.
bool decodeFile(const char* path, Decoder decoder, DecodedImage* image) {
  std::vector<unsigned char> bytes;
  if (!readFileBytes(path, &bytes)) return false;
  std::string error;
  if (!decoder(bytes.data(), bytes.size(), image, &error)) {
    std::fprintf(stderr, "%s: %s\n", path, error.c_str());
    return false;
  }
  return true;
}

}  // namespace

void uploadTextureImage(unsigned int name, const DecodedImage& image) {
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  // Decoded rows are tightly packed whatever their width; the state is left set.
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  // Desktop GL converts any format into GL_RGBA texels itself; ES wants GL_RGBA
  // pixels for them.
  if (kGlEs && image.format != GL_RGBA) {
    const DecodedImage rgba = expandedToRgba(image);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, rgba.width, rgba.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 rgba.pixels.data());
    return;
  }
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.width, image.height, 0, image.format, GL_UNSIGNED_BYTE,
               image.pixels.data());
}

namespace {

// The body of every loader: decode, keep the size, upload. A file that does not
// decode uploads nothing and leaves the size as it was.
void load(const char* path, unsigned int name, Decoder decoder, int* width, int* height) {
  DecodedImage image;
  if (!decodeFile(path, decoder, &image)) return;
  *width = image.width;
  *height = image.height;
  uploadTextureImage(name, image);
}

}  // namespace

Texture::Texture(const char* path, ImgType type) : texture(0), width(0), height(0) {
  glGenTextures(1, &texture);
  switch (type) {
    case IMG_JPEG: loadJPEG(path, texture); break;
    case IMG_PNG: loadPNG(path, texture); break;
    case IMG_TGA: loadTGA(path, texture); break;
    default: break;  // a name without an image
  }
}

void Texture::loadJPEG(const char* path, unsigned int name) { load(path, name, decodeJPEG, &width, &height); }

void Texture::loadPNG(const char* path, unsigned int name) { load(path, name, decodePNG, &width, &height); }

void Texture::loadTGA(const char* path, unsigned int name) { load(path, name, decodeTGA, &width, &height); }

}  // namespace lb_engine
