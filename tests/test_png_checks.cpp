// The PNG decoder skips zlib's Adler-32 sum for speed; damaged image data must
// still be rejected through the chunk CRC that covers it.

#include "FileBytes.h"
#include "ImageDecoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Offset of the first IDAT chunk's type field, or 0.
size_t findIdat(const std::vector<unsigned char>& bytes) {
  for (size_t i = 8; i + 4 <= bytes.size(); ++i) {
    if (std::memcmp(bytes.data() + i, "IDAT", 4) == 0) return i;
  }
  return 0;
}

}  // namespace

TEST(PngChecks, DamagedImageDataIsRejectedByTheChunkCrc) {
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(lb_engine::readFileBytes("data/cube.png", &bytes)) << "run from the build folder";
  lb_engine::DecodedImage image;
  std::string error;
  ASSERT_TRUE(lb_engine::decodePNG(bytes.data(), bytes.size(), &image, &error)) << error;
  const size_t idat = findIdat(bytes);
  ASSERT_GT(idat, 0u);
  const size_t length = (static_cast<size_t>(bytes[idat - 4]) << 24) | (bytes[idat - 3] << 16) |
                        (bytes[idat - 2] << 8) | bytes[idat - 1];
  ASSERT_GT(length, 20u);
  for (size_t at : {idat + 4 + 10, idat + 4 + length / 2, idat + 4 + length - 5}) {
    std::vector<unsigned char> damaged = bytes;
    damaged[at] ^= 0x5a;
    EXPECT_FALSE(lb_engine::decodePNG(damaged.data(), damaged.size(), &image, &error)) << "byte " << at;
    EXPECT_EQ(image.pixels.size(), 0u);
  }
}
