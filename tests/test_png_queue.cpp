// PNG sequences written on worker threads: every frame reaches its own file
// whole (read back with libpng), whatever the number of workers, and a frame
// that cannot be written stops the queue with a message naming its path.

#include "PngQueue.h"

#include "res_PngRgb.h"
#include "res_TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

// A frame whose every pixel says which frame and where it is.
lb_render::Image frame(int index, int width, int height) {
  lb_render::Image image;
  image.width = width;
  image.height = height;
  image.rgb.resize(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      unsigned char* p = &image.rgb[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = static_cast<unsigned char>(index * 7);
      p[1] = static_cast<unsigned char>(x);
      p[2] = static_cast<unsigned char>(y * 3 + index);
    }
  return image;
}

TEST(PngQueue, EveryFrameArrivesWholeInItsOwnFile) {
  for (unsigned workers : {1u, 3u}) {
    lb_test::ResTempDir dir;
    const int count = 12;
    {
      lb_render::PngQueue queue(workers);
      std::string error;
      lb_render::Image image;
      for (int i = 0; i < count; ++i) {
        image = frame(i, 61, 37);  // the caller reuses its image: the queue keeps a copy
        ASSERT_TRUE(queue.write(dir.path(std::to_string(i) + ".png"), image, &error)) << error;
      }
      ASSERT_TRUE(queue.finish(&error)) << error;
    }
    for (int i = 0; i < count; ++i) {
      int w = 0, h = 0;
      std::vector<unsigned char> rgb;
      std::string error;
      ASSERT_TRUE(lb_test::readPngRgb(dir.path(std::to_string(i) + ".png"), &w, &h, &rgb, &error)) << error;
      EXPECT_EQ(rgb, frame(i, 61, 37).rgb) << "frame " << i << " with " << workers << " workers";
    }
    // Only the frames: no temporary left beside them.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path("")), {}), count);
  }
}

TEST(PngQueue, AFailedFrameIsNamedAndStopsTheQueue) {
  lb_test::ResTempDir dir;
  lb_render::PngQueue queue(2);
  std::string error;
  const std::string missing = dir.path("no such folder/0.png");
  ASSERT_TRUE(queue.write(missing, frame(0, 8, 8), &error)) << error;
  EXPECT_FALSE(queue.finish(&error));
  EXPECT_NE(error.find(missing), std::string::npos) << error;
  std::string later;
  EXPECT_FALSE(queue.write(dir.path("1.png"), frame(1, 8, 8), &later));
  EXPECT_EQ(later, error);
}

}  // namespace
