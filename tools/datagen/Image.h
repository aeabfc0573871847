#pragma once
// RGBA pictures built in floating point (0..1 per channel, row 0 = top row as
// an image viewer shows it) and written as PNG or JPEG.

#include <cstdint>
#include <string>
#include <vector>

namespace lb_datagen {

struct Rgba {
  float r = 0, g = 0, b = 0, a = 1;
};

inline Rgba mix(const Rgba& x, const Rgba& y, float t) {
  return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t,
          x.a + (y.a - x.a) * t};
}

class Image {
 public:
  Image(int width, int height, Rgba fill = Rgba{0, 0, 0, 1});
  int width() const { return width_; }
  int height() const { return height_; }
  Rgba& at(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  const Rgba& at(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  // Wrapping access, for patterns that must tile.
  Rgba& wrap(int x, int y);
  void fillRect(int x0, int y0, int x1, int y1, const Rgba& c, bool wrapAround = false);

  // 8-bit channels, top row first.
  std::vector<uint8_t> bytes(int channels) const;

 private:
  int width_, height_;
  std::vector<Rgba> pixels_;
};

// Encoders; both return false with a message in `error` when the file cannot be written.
bool writePng(const Image& img, bool withAlpha, const std::string& path, std::string* error);
bool writeJpeg(const Image& img, int quality, const std::string& path, std::string* error);

// Deterministic generator (SplitMix64): the same seed gives the same content everywhere.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  int below(int n) { return static_cast<int>(uniform() * n); }

 private:
  uint64_t state_;
};

// Smooth tileable value noise in [0,1] with the given period in lattice cells.
float valueNoise(float x, float y, int period, uint32_t seed);

}  // namespace lb_datagen
