// Which kinds of PNG and JPEG file the decoders take, and what each becomes:
// every accepted file ends as 8-bit grey (GL_RED), RGB or RGBA, bottom row first.
// The files are written here with libpng and TurboJPEG themselves.

#include "Gl.h"
#include "ImageDecoder.h"
#include "res_Images.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using lb_engine::DecodedImage;
using testing::HasSubstr;

namespace {

// `pixels` (top row first, `format` samples) compressed by TurboJPEG.
std::vector<unsigned char> compressJPEG(int width, int height, const std::vector<unsigned char>& pixels, int format,
                                        int subsampling, int flags) {
  tjhandle handle = tjInitCompress();
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const int status =
      tjCompress2(handle, pixels.data(), width, 0, height, format, &buffer, &size, subsampling, 95, flags);
  std::vector<unsigned char> out;
  if (status == 0) out.assign(buffer, buffer + size);
  tjFree(buffer);
  tjDestroy(handle);
  return out;
}

// 16x16 pixels, top row first: the top half `top`, the bottom half `bottom`
// (one sample per channel).
std::vector<unsigned char> halves(const std::vector<unsigned char>& top, const std::vector<unsigned char>& bottom) {
  std::vector<unsigned char> pixels;
  for (int y = 0; y < 16; ++y) {
    const std::vector<unsigned char>& pixel = y < 8 ? top : bottom;
    for (int x = 0; x < 16; ++x) pixels.insert(pixels.end(), pixel.begin(), pixel.end());
  }
  return pixels;
}

}  // namespace

TEST(ImageKinds, JpegSubsamplingsGreyAndProgressiveAllBecomeRgb) {
  const auto rgb = halves({255, 0, 0}, {0, 0, 255});  // red over blue
  struct Case {
    const char* name;
    std::vector<unsigned char> file;
    std::vector<int> bottomLeft;  // first decoded pixel: the picture's bottom-left
  };
  const Case cases[] = {
      {"4:4:4", compressJPEG(16, 16, rgb, TJPF_RGB, TJSAMP_444, 0), {0, 0, 255}},
      {"4:2:2", compressJPEG(16, 16, rgb, TJPF_RGB, TJSAMP_422, 0), {0, 0, 255}},
      {"4:2:0", compressJPEG(16, 16, rgb, TJPF_RGB, TJSAMP_420, 0), {0, 0, 255}},
      {"progressive", compressJPEG(16, 16, rgb, TJPF_RGB, TJSAMP_420, TJFLAG_PROGRESSIVE), {0, 0, 255}},
      {"greyscale", compressJPEG(16, 16, halves({200}, {40}), TJPF_GRAY, TJSAMP_GRAY, 0), {40, 40, 40}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_FALSE(c.file.empty());
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(lb_engine::decodeJPEG(c.file.data(), c.file.size(), &image, &error)) << error;
    EXPECT_EQ(image.width, 16);
    EXPECT_EQ(image.height, 16);
    EXPECT_EQ(image.channels, 3);
    EXPECT_EQ(image.format, static_cast<unsigned>(GL_RGB));
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(image.pixels[k], c.bottomLeft[k], 12) << "channel " << k;
  }
}

TEST(ImageKinds, CmykJpegIsRefusedWithAReason) {
  const auto cmyk = halves({0, 255, 255, 0}, {255, 255, 0, 0});
  const auto file = compressJPEG(16, 16, cmyk, TJPF_CMYK, TJSAMP_444, 0);
  ASSERT_FALSE(file.empty());
  DecodedImage image;
  std::string error;
  EXPECT_FALSE(lb_engine::decodeJPEG(file.data(), file.size(), &image, &error));
  EXPECT_THAT(error, HasSubstr("JPEG"));
  EXPECT_TRUE(image.pixels.empty());
}

TEST(ImageKinds, EveryPngColourTypeAndDepthBecomesEightBitGreyRgbOrRgba) {
  struct Case {
    int colorType;
    int bitDepth;
    bool transparency;  // palette images: a tRNS chunk
    unsigned format;
    int channels;
  };
  const Case cases[] = {
      {PNG_COLOR_TYPE_GRAY, 1, false, GL_RED, 1},         {PNG_COLOR_TYPE_GRAY, 2, false, GL_RED, 1},
      {PNG_COLOR_TYPE_GRAY, 4, false, GL_RED, 1},         {PNG_COLOR_TYPE_GRAY, 8, false, GL_RED, 1},
      {PNG_COLOR_TYPE_GRAY, 16, false, GL_RED, 1},        {PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, GL_RGBA, 4},
      {PNG_COLOR_TYPE_GRAY_ALPHA, 16, false, GL_RGBA, 4}, {PNG_COLOR_TYPE_RGB, 8, false, GL_RGB, 3},
      {PNG_COLOR_TYPE_RGB, 16, false, GL_RGB, 3},         {PNG_COLOR_TYPE_RGB_ALPHA, 8, false, GL_RGBA, 4},
      {PNG_COLOR_TYPE_RGB_ALPHA, 16, false, GL_RGBA, 4},  {PNG_COLOR_TYPE_PALETTE, 1, false, GL_RGB, 3},
      {PNG_COLOR_TYPE_PALETTE, 2, false, GL_RGB, 3},      {PNG_COLOR_TYPE_PALETTE, 4, false, GL_RGB, 3},
      {PNG_COLOR_TYPE_PALETTE, 8, false, GL_RGB, 3},
      {PNG_COLOR_TYPE_PALETTE, 8, true, GL_RGBA, 4},
  };
  const int width = 5, height = 3;  // rows of odd length, padded in the file
  for (const Case& c : cases) {
    SCOPED_TRACE("colour type " + std::to_string(c.colorType) + ", " + std::to_string(c.bitDepth) + " bits" +
                 (c.transparency ? ", tRNS" : ""));
    lb_test::PngOptions options;
    options.colorType = c.colorType;
    options.bitDepth = c.bitDepth;
    if (c.colorType == PNG_COLOR_TYPE_PALETTE) {
      options.palette = {{10, 20, 30}, {40, 50, 60}};
      if (c.transparency) options.transparency = {0, 255};
    }
    const size_t rowBytes = (static_cast<size_t>(width) * lb_test::pngChannels(c.colorType) * c.bitDepth + 7) / 8;
    const auto file = lb_test::encodePNG(width, height, std::vector<unsigned char>(rowBytes * height, 0), options);
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(lb_engine::decodePNG(file.data(), file.size(), &image, &error)) << error;
    EXPECT_EQ(image.format, c.format);
    EXPECT_EQ(image.channels, c.channels);
    EXPECT_EQ(image.pixels.size(), static_cast<size_t>(width * height * c.channels));
  }
}
