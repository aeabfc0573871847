// What an ES context gets instead of the decoders' own formats: the RGBA texels
// desktop GL would make of them (its rules: swap BGR, missing green and blue 0,
// missing alpha 255), checked on hand-made pixels of every format.

#include "Gl.h"
#include "ImageDecoder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using lb_engine::DecodedImage;

DecodedImage image(int channels, unsigned int format, std::vector<unsigned char> pixels) {
  DecodedImage result;
  result.width = 2;
  result.height = 1;
  result.channels = channels;
  result.format = format;
  result.pixels = pixels;
  return result;
}

}  // namespace

TEST(RgbaExpansion, EveryDecoderFormatBecomesWhatDesktopGlMakesOfIt) {
  struct Case {
    const char* name;
    DecodedImage in;
    std::vector<unsigned char> expected;
  };
  const Case cases[] = {
      {"GL_RED", image(1, GL_RED, {7, 200}), {7, 0, 0, 255, 200, 0, 0, 255}},
      {"GL_RGB", image(3, GL_RGB, {1, 2, 3, 4, 5, 6}), {1, 2, 3, 255, 4, 5, 6, 255}},
      {"GL_BGR", image(3, GL_BGR, {1, 2, 3, 4, 5, 6}), {3, 2, 1, 255, 6, 5, 4, 255}},
      {"GL_BGRA", image(4, GL_BGRA, {1, 2, 3, 9, 4, 5, 6, 0}), {3, 2, 1, 9, 6, 5, 4, 0}},
      {"GL_RGBA", image(4, GL_RGBA, {1, 2, 3, 9, 4, 5, 6, 0}), {1, 2, 3, 9, 4, 5, 6, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DecodedImage out = lb_engine::expandedToRgba(c.in);
    EXPECT_EQ(out.width, 2);
    EXPECT_EQ(out.height, 1);
    EXPECT_EQ(out.channels, 4);
    EXPECT_EQ(out.format, static_cast<unsigned int>(GL_RGBA));
    EXPECT_EQ(out.pixels, c.expected);
  }
}
