#pragma once
// One image file (JPEG, PNG or uncompressed TGA) uploaded once as a 2D GL
// texture, stored GL_RGBA, bottom row first so that t = 0 is the picture's
// bottom edge. A file that is missing or cannot be decoded leaves a valid texture
// name without an image.

namespace lb_engine {

enum ImgType { IMG_JPEG = 0, IMG_PNG = 1, IMG_TGA = 2 };

class Texture {
 public:
  unsigned int texture;
  int width;
  int height;

  Texture(const char* path, ImgType type);
  ~Texture() {}

  unsigned int getTexID() { return texture; }
  int getWidth() { return width; }
  int getHeight() { return height; }

  void loadJPEG(const char* path, unsigned int name);
  void loadPNG(const char* path, unsigned int name);
  void loadTGA(const char* path, unsigned int name);
};

}  // namespace lb_engine
