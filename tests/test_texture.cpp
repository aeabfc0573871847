// Textures: JPEG, PNG and TGA files written here decode bottom row first and
// upload as GL_RGBA; corrupt, truncated and unsupported files are refused with one
// line on standard error and leave a texture name without an image.

#include "GlContext.h"
#include "Gl.h"
#include "ImageDecoder.h"
#include "ShaderProgram.h"
#include "Sprite.h"
#include "Texture.h"
#include "res_Images.h"
#include "res_TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using lb_engine::DecodedImage;
using lb_engine::Texture;
using testing::HasSubstr;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

constexpr int kSide = 16;

// Top half red, bottom half blue, top row first, `channels` 3 (RGB) or 4 (RGBA).
std::vector<unsigned char> redOverBlue(int width, int height, int channels) {
  std::vector<unsigned char> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool top = y < height / 2;
      pixels.push_back(top ? 255 : 0);
      pixels.push_back(0);
      pixels.push_back(top ? 0 : 255);
      if (channels == 4) pixels.push_back(255);
    }
  }
  return pixels;
}

// The same picture as TGA pixels (BGR or BGRA), bottom row first.
std::vector<unsigned char> redOverBlueTga(int width, int height, int channels, bool topOrigin) {
  std::vector<unsigned char> pixels;
  for (int row = 0; row < height; ++row) {
    const int y = topOrigin ? row : height - 1 - row;  // picture row, 0 = top
    for (int x = 0; x < width; ++x) {
      const bool top = y < height / 2;
      pixels.push_back(top ? 0 : 255);  // B
      pixels.push_back(0);              // G
      pixels.push_back(top ? 255 : 0);  // R
      if (channels == 4) pixels.push_back(200);
    }
  }
  return pixels;
}

struct Rgba {
  int r, g, b, a;
};

// The texture's level 0 as RGBA, bottom row (t = 0) first.
std::vector<unsigned char> readTexture(unsigned int name, int width, int height) {
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4, 0);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

Rgba at(const std::vector<unsigned char>& rgba, int width, int x, int row) {
  const size_t i = (static_cast<size_t>(row) * width + x) * 4;
  return {rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]};
}

void expectColour(const Rgba& got, int r, int g, int b, int tolerance) {
  EXPECT_NEAR(got.r, r, tolerance);
  EXPECT_NEAR(got.g, g, tolerance);
  EXPECT_NEAR(got.b, b, tolerance);
}

GLint levelWidth(unsigned int name) {
  GLint width = -1;
  glBindTexture(GL_TEXTURE_2D, name);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  return width;
}

size_t lineCount(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

class TextureGl : public lb_test::GlTest {
 protected:
  lb_test::ResTempDir dir;
};

}  // namespace

// ---- decoding, no GL -------------------------------------------------------

TEST(ImageDecoder, PngConversionsGiveEightBitSamples) {
  DecodedImage image;
  std::string error;

  // 16-bit RGB: the high byte of each sample survives.
  const std::vector<unsigned char> rgb16 = {0xff, 0x00, 0x80, 0x00, 0x12, 0x34};
  auto png = lb_test::encodePNG(1, 1, rgb16, {PNG_COLOR_TYPE_RGB, 16, false, {}, {}});
  ASSERT_TRUE(lb_engine::decodePNG(png.data(), png.size(), &image, &error)) << error;
  EXPECT_EQ(image.format, static_cast<unsigned>(GL_RGB));
  EXPECT_EQ(image.pixels, (std::vector<unsigned char>{0xff, 0x80, 0x12}));

  // 1-bit palette with a transparent entry: RGBA through the palette.
  lb_test::PngOptions palette{PNG_COLOR_TYPE_PALETTE, 1, false, {{10, 20, 30}, {40, 50, 60}}, {0, 255}};
  png = lb_test::encodePNG(2, 1, {0x40}, palette);  // pixels 0, 1
  ASSERT_TRUE(lb_engine::decodePNG(png.data(), png.size(), &image, &error)) << error;
  EXPECT_EQ(image.format, static_cast<unsigned>(GL_RGBA));
  EXPECT_EQ(image.pixels, (std::vector<unsigned char>{10, 20, 30, 0, 40, 50, 60, 255}));

  // Grey with alpha: grey spread over RGB, alpha kept, a format the core profile takes.
  png = lb_test::encodePNG(1, 1, {90, 160}, {PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, {}, {}});
  ASSERT_TRUE(lb_engine::decodePNG(png.data(), png.size(), &image, &error)) << error;
  EXPECT_EQ(image.format, static_cast<unsigned>(GL_RGBA));
  EXPECT_EQ(image.pixels, (std::vector<unsigned char>{90, 90, 90, 160}));

  // 2-bit grey: one channel scaled to 0..255.
  png = lb_test::encodePNG(4, 1, {0x1b}, {PNG_COLOR_TYPE_GRAY, 2, false, {}, {}});  // 0, 1, 2, 3
  ASSERT_TRUE(lb_engine::decodePNG(png.data(), png.size(), &image, &error)) << error;
  EXPECT_EQ(image.format, static_cast<unsigned>(GL_RED));
  EXPECT_EQ(image.pixels, (std::vector<unsigned char>{0, 85, 170, 255}));
}

TEST(ImageDecoder, InterlacedPngMatchesThePlainOne) {
  const auto pixels = redOverBlue(13, 11, 4);
  const auto plain = lb_test::encodePNG(13, 11, pixels, {PNG_COLOR_TYPE_RGB_ALPHA, 8, false, {}, {}});
  const auto interlaced = lb_test::encodePNG(13, 11, pixels, {PNG_COLOR_TYPE_RGB_ALPHA, 8, true, {}, {}});
  DecodedImage a, b;
  std::string error;
  ASSERT_TRUE(lb_engine::decodePNG(plain.data(), plain.size(), &a, &error)) << error;
  ASSERT_TRUE(lb_engine::decodePNG(interlaced.data(), interlaced.size(), &b, &error)) << error;
  EXPECT_EQ(a.pixels, b.pixels);
  // Bottom row first: the first pixel is the picture's bottom-left, blue.
  EXPECT_EQ((std::vector<unsigned char>(a.pixels.begin(), a.pixels.begin() + 4)),
            (std::vector<unsigned char>{0, 0, 255, 255}));
}

TEST(ImageDecoder, EveryTruncationIsRefusedOrComplete) {
  // Each prefix of a valid file either fails with a message or (once the pixel
  // data is all there) decodes to the whole picture; none reads past its bytes.
  const auto rgb = redOverBlue(kSide, kSide, 3);
  struct Format {
    const char* name;
    std::vector<unsigned char> bytes;
    bool (*decode)(const unsigned char*, size_t, DecodedImage*, std::string*);
  };
  lb_test::TgaHeader tga;
  tga.width = kSide;
  tga.height = kSide;
  const Format formats[] = {
      {"png", lb_test::encodePNG(kSide, kSide, rgb), lb_engine::decodePNG},
      {"jpeg", lb_test::encodeJPEG(kSide, kSide, rgb), lb_engine::decodeJPEG},
      {"tga", lb_test::encodeTGA(tga, redOverBlueTga(kSide, kSide, 3, false)), lb_engine::decodeTGA},
  };
  for (const Format& format : formats) {
    SCOPED_TRACE(format.name);
    DecodedImage full;
    std::string error;
    ASSERT_TRUE(format.decode(format.bytes.data(), format.bytes.size(), &full, &error)) << error;
    for (size_t length = 0; length < format.bytes.size(); ++length) {
      // A copy of exactly `length` bytes, so that AddressSanitizer sees any overread.
      std::vector<unsigned char> prefix(format.bytes.begin(), format.bytes.begin() + length);
      DecodedImage image;
      error.clear();
      if (format.decode(prefix.data(), prefix.size(), &image, &error)) {
        EXPECT_EQ(image.pixels, full.pixels) << "length " << length;
      } else {
        EXPECT_FALSE(error.empty()) << "length " << length;
        EXPECT_TRUE(image.pixels.empty());
      }
    }
  }
}

TEST(ImageDecoder, CorruptAndUnsupportedFilesAreRefusedWithAReason) {
  const auto rgb = redOverBlue(kSide, kSide, 3);
  DecodedImage image;
  std::string error;

  auto png = lb_test::encodePNG(kSide, kSide, rgb);
  png[png.size() - 20] ^= 0x5a;  // inside the compressed data: checksum mismatch
  EXPECT_FALSE(lb_engine::decodePNG(png.data(), png.size(), &image, &error));
  EXPECT_THAT(error, HasSubstr("PNG"));

  const std::string text = "this is not an image at all";
  const auto* garbage = reinterpret_cast<const unsigned char*>(text.data());
  EXPECT_FALSE(lb_engine::decodePNG(garbage, text.size(), &image, &error));
  EXPECT_EQ(error, "not a PNG file");
  EXPECT_FALSE(lb_engine::decodeJPEG(garbage, text.size(), &image, &error));
  EXPECT_THAT(error, HasSubstr("JPEG"));

  auto jpeg = lb_test::encodeJPEG(kSide, kSide, rgb);
  std::fill(jpeg.begin() + jpeg.size() / 2, jpeg.end() - 2, 0xff);  // entropy data destroyed
  EXPECT_FALSE(lb_engine::decodeJPEG(jpeg.data(), jpeg.size(), &image, &error));
  EXPECT_THAT(error, HasSubstr("JPEG"));

  // Absurd sizes are refused before anything is allocated: a 20000-wide PNG, and
  // a header claiming 16000 x 16000 in a file of a few hundred bytes.
  png = lb_test::encodePNG(20000, 1, std::vector<unsigned char>(20000, 7), {PNG_COLOR_TYPE_GRAY, 8, false, {}, {}});
  EXPECT_FALSE(lb_engine::decodePNG(png.data(), png.size(), &image, &error));
  EXPECT_THAT(error, HasSubstr("image size 20000x1 is outside 1..16384"));
  png = lb_test::encodePNG(16000, 1, std::vector<unsigned char>(16000, 7), {PNG_COLOR_TYPE_GRAY, 8, false, {}, {}});
  lb_test::patchPngHeight(&png, 16000);
  EXPECT_FALSE(lb_engine::decodePNG(png.data(), png.size(), &image, &error));
  EXPECT_THAT(error, HasSubstr("more data than the file can hold"));

  // A JPEG whose frame header claims 10968 x 8460 in 36 bytes (found by fuzzing):
  // refused before a 278 MB buffer is made, since every 8x8 block costs a bit.
  const unsigned char hugeHeader[] = {0xff, 0xd8, 0xff, 0xff, 0xc0, 0x00, 0x11, 0x08, 0x2a, 0xd8, 0x21, 0x0c,
                                      0x03, 0x01, 0x22, 0x00, 0x02, 0x11, 0x00, 0x03, 0x11, 0x00, 0xff, 0xda,
                                      0x00, 0x0c, 0x03, 0x01, 0x10, 0x02, 0x11, 0x03, 0x11, 0x00, 0x1e, 0xed};
  EXPECT_FALSE(lb_engine::decodeJPEG(hugeHeader, sizeof hugeHeader, &image, &error));
  EXPECT_EQ(error, "8460x10968 image needs more data than the file can hold");
  EXPECT_TRUE(image.pixels.empty());
}

TEST(ImageDecoder, TgaHeadersThatCannotBeTrustedAreRefused) {
  struct Case {
    const char* what;
    lb_test::TgaHeader header;
    size_t payload;
    const char* expected;
  };
  auto header = [](int type, int depth, int width, int height) {
    lb_test::TgaHeader h;
    h.imageType = type;
    h.depth = depth;
    h.width = width;
    h.height = height;
    return h;
  };
  const Case cases[] = {
      {"zero width", header(2, 24, 0, 4), 48, "image size 0x4"},
      {"negative height", header(2, 24, 4, -4), 48, "image size 4x-4"},
      {"over the limit", header(2, 8, 20000, 1), 20000, "outside 1..16384"},
      {"pixels missing", header(2, 32, 300, 300), 1000, "truncated"},
      {"run-length encoded", header(10, 24, 4, 4), 48, "type 10"},
      {"colour-mapped", header(1, 8, 4, 4), 16, "type 1"},
      {"16-bit pixels", header(2, 16, 4, 4), 32, "depth 16"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto bytes = lb_test::encodeTGA(c.header, std::vector<unsigned char>(c.payload, 1));
    DecodedImage image;
    std::string error;
    EXPECT_FALSE(lb_engine::decodeTGA(bytes.data(), bytes.size(), &image, &error));
    EXPECT_THAT(error, HasSubstr(c.expected));
  }
}

TEST(ImageDecoder, TgaSkipsItsIdFieldAndColourMap) {
  lb_test::TgaHeader h;
  h.width = 1;
  h.height = 1;
  h.idLength = 3;
  h.colorMapType = 1;  // present but unused by true-colour pixels
  h.colorMapLength = 2;
  h.colorMapEntryBits = 24;
  const auto bytes = lb_test::encodeTGA(h, {'a', 'b', 'c', 9, 9, 9, 9, 9, 9, 30, 20, 10});
  DecodedImage image;
  std::string error;
  ASSERT_TRUE(lb_engine::decodeTGA(bytes.data(), bytes.size(), &image, &error)) << error;
  EXPECT_EQ(image.pixels, (std::vector<unsigned char>{30, 20, 10}));
  EXPECT_EQ(image.format, static_cast<unsigned>(GL_BGR));
}

// ---- upload ----------------------------------------------------------------

TEST_F(TextureGl, BottomHalfIsAtTQuarterForEveryDecoder) {
  const auto rgb = redOverBlue(kSide, kSide, 3);
  const auto rgba = redOverBlue(kSide, kSide, 4);
  lb_test::TgaHeader tga24;
  tga24.width = tga24.height = kSide;
  lb_test::TgaHeader tga32 = tga24;
  tga32.depth = 32;
  lb_test::TgaHeader tgaTop = tga24;
  tgaTop.descriptor = 0x20;
  struct Case {
    const char* name;
    std::string path;
    lb_engine::ImgType type;
  };
  const Case cases[] = {
      {"jpeg", dir.write("a.jpg", lb_test::encodeJPEG(kSide, kSide, rgb)), lb_engine::IMG_JPEG},
      {"png rgb", dir.write("b.png", lb_test::encodePNG(kSide, kSide, rgb)), lb_engine::IMG_PNG},
      {"png rgba", dir.write("c.png", lb_test::encodePNG(kSide, kSide, rgba, {PNG_COLOR_TYPE_RGB_ALPHA, 8, false, {}, {}})),
       lb_engine::IMG_PNG},
      {"tga 24", dir.write("d.tga", lb_test::encodeTGA(tga24, redOverBlueTga(kSide, kSide, 3, false))),
       lb_engine::IMG_TGA},
      {"tga 32", dir.write("e.tga", lb_test::encodeTGA(tga32, redOverBlueTga(kSide, kSide, 4, false))),
       lb_engine::IMG_TGA},
      {"tga top origin", dir.write("f.tga", lb_test::encodeTGA(tgaTop, redOverBlueTga(kSide, kSide, 3, true))),
       lb_engine::IMG_TGA},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CaptureStderr();
    Texture texture(c.path.c_str(), c.type);
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_EQ(texture.getWidth(), kSide);
    EXPECT_EQ(texture.getHeight(), kSide);
    GLint bound = 0, format = 0, filter = 0, wrap = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), texture.getTexID()) << "left bound after the load";
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrap);
    EXPECT_EQ(format, GL_RGBA);
    EXPECT_EQ(filter, GL_LINEAR);
    EXPECT_EQ(wrap, GL_REPEAT);
    const auto pixels = readTexture(texture.getTexID(), kSide, kSide);
    expectColour(at(pixels, kSide, kSide / 2, kSide / 4), 0, 0, 255, 12);      // t = 0.25: blue
    expectColour(at(pixels, kSide, kSide / 2, 3 * kSide / 4), 255, 0, 0, 12);  // t = 0.75: red
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureGl, SamplingThroughAProgramSeesBlueBelowRedAbove) {
  const auto rgb = redOverBlue(kSide, kSide, 3);
  lb_test::TgaHeader tga;
  tga.width = tga.height = kSide;
  Texture jpeg(dir.write("s.jpg", lb_test::encodeJPEG(kSide, kSide, rgb)).c_str(), lb_engine::IMG_JPEG);
  Texture png(dir.write("s.png", lb_test::encodePNG(kSide, kSide, rgb)).c_str(), lb_engine::IMG_PNG);
  Texture targa(dir.write("s.tga", lb_test::encodeTGA(tga, redOverBlueTga(kSide, kSide, 3, false))).c_str(),
                lb_engine::IMG_TGA);
  // Left half of the frame samples t = 0.25, right half t = 0.75.
  const std::string vertex = dir.write("q.vert",
                                       "#version 410 core\n"
                                       "layout(location = 0) in vec2 position;\n"
                                       "layout(location = 1) in vec2 texCoord;\n"
                                       "out vec2 uv;\n"
                                       "void main() { uv = texCoord; gl_Position = vec4(position, 0.0, 1.0); }\n");
  const std::string fragment = dir.write("q.frag",
                                         "#version 410 core\n"
                                         "uniform sampler2D img;\nin vec2 uv;\nout vec4 c;\n"
                                         "void main() { c = texture(img, vec2(0.5, uv.x < 0.5 ? 0.25 : 0.75)); }\n");
  lb_engine::ShaderProgram program;
  program.addShader(fragment.c_str(), GL_FRAGMENT_SHADER);
  program.addShader(vertex.c_str(), GL_VERTEX_SHADER);
  program.compile();
  lb_engine::Sprite quad;
  glDisable(GL_DEPTH_TEST);
  for (Texture* texture : {&jpeg, &png, &targa}) {
    SCOPED_TRACE(texture->getTexID());
    program.use();
    program.addTexture("img", texture);
    quad.draw();
    const auto frame = lb_test::readPixels(kWidth, kHeight);
    expectColour(at(frame, kWidth, kWidth / 4, kHeight / 2), 0, 0, 255, 12);
    expectColour(at(frame, kWidth, 3 * kWidth / 4, kHeight / 2), 255, 0, 0, 12);
  }
}

TEST_F(TextureGl, OddWidthJpegUploadsWithoutSkew) {
  // 101 pixels of RGB make 303-byte rows; read with 4-byte row alignment, every
  // row would start one byte later than the one before and the stripes would lean.
  const int width = 101, height = 101;
  std::vector<unsigned char> rgb;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool left = x < 50;
      rgb.insert(rgb.end(), {static_cast<unsigned char>(left ? 255 : 0), 0, static_cast<unsigned char>(left ? 0 : 255)});
    }
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  Texture texture(dir.write("odd.jpg", lb_test::encodeJPEG(width, height, rgb)).c_str(), lb_engine::IMG_JPEG);
  ASSERT_EQ(texture.getWidth(), width);
  const auto pixels = readTexture(texture.getTexID(), width, height);
  int wrong = 0;
  for (int row = 0; row < height; ++row) {
    for (int x = 0; x < width; ++x) {
      if (x >= 46 && x <= 53) continue;  // the JPEG blurs the edge itself
      const Rgba p = at(pixels, width, x, row);
      const bool left = x < 50;
      if (std::abs(p.r - (left ? 255 : 0)) > 40 || std::abs(p.b - (left ? 0 : 255)) > 40) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(TextureGl, TgaPixelFormatsAndGreyAlphaPng) {
  lb_test::TgaHeader h;
  h.width = h.height = 1;
  h.depth = 32;
  Texture bgra(dir.write("p32.tga", lb_test::encodeTGA(h, {0, 0, 255, 128})).c_str(), lb_engine::IMG_TGA);
  h.depth = 24;
  Texture bgr(dir.write("p24.tga", lb_test::encodeTGA(h, {255, 0, 0})).c_str(), lb_engine::IMG_TGA);
  h.depth = 8;
  h.imageType = 3;
  Texture grey(dir.write("p8.tga", lb_test::encodeTGA(h, {200})).c_str(), lb_engine::IMG_TGA);
  Texture greyAlpha(dir.write("ga.png", lb_test::encodePNG(1, 1, {90, 160}, {PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, {}, {}}))
                        .c_str(),
                    lb_engine::IMG_PNG);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  auto pixel = [](unsigned int name) {
    const auto p = readTexture(name, 1, 1);
    return std::vector<int>(p.begin(), p.end());
  };
  EXPECT_EQ(pixel(bgra.getTexID()), (std::vector<int>{255, 0, 0, 128}));
  EXPECT_EQ(pixel(bgr.getTexID()), (std::vector<int>{0, 0, 255, 255}));
  EXPECT_EQ(pixel(grey.getTexID()), (std::vector<int>{200, 0, 0, 255}));  // GL_RED: grey lands in red
  EXPECT_EQ(pixel(greyAlpha.getTexID()), (std::vector<int>{90, 90, 90, 160}));
}

TEST_F(TextureGl, MissingFilesAndUnknownTypesGiveANameWithoutAnImage) {
  CaptureStderr();
  Texture png(dir.path("absent.png").c_str(), lb_engine::IMG_PNG);
  Texture jpeg(dir.path("absent.jpg").c_str(), lb_engine::IMG_JPEG);
  Texture tga(dir.path("absent.tga").c_str(), lb_engine::IMG_TGA);
  Texture folder(dir.path("").c_str(), lb_engine::IMG_PNG);
  const std::string good = dir.write("good.png", lb_test::encodePNG(2, 2, redOverBlue(2, 2, 3)));
  Texture unknown(good.c_str(), static_cast<lb_engine::ImgType>(7));
  EXPECT_EQ(GetCapturedStderr(), "") << "absent files are silent";
  for (Texture* texture : {&png, &jpeg, &tga, &folder, &unknown}) {
    EXPECT_NE(texture->getTexID(), 0u);
    EXPECT_EQ(texture->getWidth(), 0);
    EXPECT_EQ(levelWidth(texture->getTexID()), 0);
  }
}

TEST_F(TextureGl, CorruptFilesPrintOneLineAndLeaveNoImage) {
  const auto rgb = redOverBlue(kSide, kSide, 3);
  auto png = lb_test::encodePNG(kSide, kSide, rgb);
  png.resize(png.size() / 2);
  auto jpeg = lb_test::encodeJPEG(kSide, kSide, rgb);
  jpeg.resize(jpeg.size() * 2 / 3);
  lb_test::TgaHeader h;
  h.width = 1000;
  h.height = 1000;
  struct Case {
    std::string path;
    lb_engine::ImgType type;
  };
  const Case cases[] = {
      {dir.write("cut.png", png), lb_engine::IMG_PNG},
      {dir.write("cut.jpg", jpeg), lb_engine::IMG_JPEG},
      {dir.write("cut.tga", lb_test::encodeTGA(h, std::vector<unsigned char>(300, 0))), lb_engine::IMG_TGA},
      {dir.write("empty.png", std::string()), lb_engine::IMG_PNG},
      {dir.write("jpeg-named.JPG", lb_test::encodeJPEG(kSide, kSide, rgb)), lb_engine::IMG_PNG},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    CaptureStderr();
    Texture texture(c.path.c_str(), c.type);
    const std::string message = GetCapturedStderr();
    EXPECT_EQ(lineCount(message), 1u) << message;
    EXPECT_EQ(message.rfind(c.path + ": ", 0), 0u) << message;
    EXPECT_NE(texture.getTexID(), 0u);
    EXPECT_EQ(texture.getWidth(), 0);
    EXPECT_EQ(levelWidth(texture.getTexID()), 0);
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
