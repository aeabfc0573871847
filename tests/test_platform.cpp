// Starting the display and loading GL: the show must never play to nobody on
// SDL's window-less fallback, and GLEW's missing-GLX-display report must not
// stop a context whose GL entry points did load.

#include "Gl.h"
#include "GlContext.h"
#include "GlLoader.h"
#include "SdlVideo.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// Sets or clears environment variables for one test and puts them back after.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    hadOld_ = old != nullptr;
    if (hadOld_) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (hadOld_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool hadOld_ = false;
  std::string old_;
};

TEST(SdlVideo, WithoutADisplayTheWindowlessFallbackIsRefused) {
  ScopedEnv display("DISPLAY", nullptr);
  ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
  ScopedEnv driver("SDL_VIDEODRIVER", nullptr);
  std::string error;
  EXPECT_FALSE(lb_engine::startSdlVideo(&error));
  EXPECT_NE(error.find("tried 10 times"), std::string::npos) << error;
  EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u) << "a refused start must leave video stopped";
  SDL_Quit();
}

TEST(SdlVideo, ADriverTheCallerNamesIsTakenEvenWithoutWindows) {
  ScopedEnv driver("SDL_VIDEODRIVER", "offscreen");
  std::string error;
  ASSERT_TRUE(lb_engine::startSdlVideo(&error)) << error;
  EXPECT_STREQ(SDL_GetCurrentVideoDriver(), "offscreen");
  SDL_Quit();
}

TEST(SdlVideo, UnderTheTestXServerItStartsX11) {
  ScopedEnv driver("SDL_VIDEODRIVER", nullptr);
  std::string error;
  ASSERT_TRUE(lb_engine::startSdlVideo(&error)) << error;
  EXPECT_STREQ(SDL_GetCurrentVideoDriver(), "x11");
  SDL_Quit();
}

// SDL's offscreen driver makes its contexts through EGL, where GLEW finds no GLX
// display: the loader must still accept the context and hand back working GL.
TEST(GlLoader, AnEglContextWithoutAGlxDisplayLoadsAndDraws) {
  ScopedEnv driver("SDL_VIDEODRIVER", "offscreen");
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_Window* window = SDL_CreateWindow("egl", 0, 0, 32, 32, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  ASSERT_NE(window, nullptr) << SDL_GetError();
  SDL_GLContext context = SDL_GL_CreateContext(window);
  ASSERT_NE(context, nullptr) << SDL_GetError();

  std::string error;
  ASSERT_TRUE(lb_engine::loadGlEntryPoints(&error)) << error;
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  // A 3.x entry point that only a successful load provides, used for real.
  GLuint vao = 0;
  glGenVertexArrays(1, &vao);
  EXPECT_NE(vao, 0u);
  glViewport(0, 0, 32, 32);
  glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  const std::vector<unsigned char> pixels = lb_test::readPixels(32, 32);
  EXPECT_EQ(pixels[1], 255);
  EXPECT_EQ(pixels[0], 0);
  glDeleteVertexArrays(1, &vao);
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  SDL_Quit();
}

}  // namespace
