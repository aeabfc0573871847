#pragma once
// A hidden SDL window with an OpenGL 4.1 core context for tests that need GL.
// The test command runs CTest under Xvfb, so a context is always available;
// a failure to get one is a test failure, not a skip.

#include <gtest/gtest.h>

struct SDL_Window;

namespace lb_test {

class GlContext {
 public:
  // Creates (once per process) a hidden window of the given size and makes its
  // context current. Returns false with a message in `error` on failure.
  static bool ensure(int width, int height, std::string* error);
  static SDL_Window* window();
};

// Fixture for GL tests: a 320x180 hidden window with a current 4.1 core context.
class GlTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 320;
  static constexpr int kHeight = 180;
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(GlContext::ensure(kWidth, kHeight, &error)) << error;
  }
};

// Reads the RGBA pixels of the current read framebuffer, bottom row first.
std::vector<unsigned char> readPixels(int width, int height);

}  // namespace lb_test
