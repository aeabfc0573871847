// The smallest complete lb_engine program: a textured, lit cube turning in a
// render buffer, composited on screen by a post-processing program on the
// buffer's full-screen sprite. Built against the installed engine only:
//   find_package(LatticeBloomEngine) + target_link_libraries(... LatticeBloom::engine)
// It reads its catalogue data/catalogue.txt beside the executable.
//   minimal                                  play in a 1280x720 window until Escape
//   minimal --frame 1.5 --out frame.png      render t = 1.5 s at 320x180, write a PNG

#include "Config.h"
#include "Demo.h"
#include "Gl.h"
#include "GlLoader.h"
#include "Matrix.h"
#include "Mesh3D.h"
#include "RenderBuffer.h"
#include "SdlVideo.h"
#include "ShaderProgram.h"

#include <CLI/CLI.hpp>
#include <SDL.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Options {
  double frameTime = -1;  // seconds; >= 0 renders that one frame to `out`
  std::string out;
};

// One scene, active for the whole run: everything it draws with comes from the catalogue.
class SpinningCube : public lb_engine::Scene {
 public:
  SpinningCube(int width, int height, lb_engine::Config* catalogue)
      : lit(catalogue->getShader("lit")), cube(catalogue->getModel("cube")), crate(catalogue->getTexture("crate")),
        buffer(width, height, 0, 1, true) {
    startTime = -1e9;
    endTime = 1e9;
    projection.perspective(45, static_cast<double>(width) / height, 0.1, 100);
    view.translate(0, 0, -3);
    buffer.addShader(catalogue->getShader("post"));
  }

  void show(double t) override {
    buffer.firstPass();  // into the buffer: depth test on, cleared
    lit->use();
    lit->addTexture("img", crate);
    lb_engine::Matrix model;
    model.rotate(0.6 * t, 0.9 * t, 0.2);  // radians
    lit->setParam("pmatrix", model * view * projection);
    lit->setParam("nmatrix", model * view);
    cube->draw();
    buffer.secondPass();  // onto the window: "color0" and "depth" bound
    buffer.program->setParam("time", static_cast<float>(t));
    buffer.draw();
    glEnable(GL_DEPTH_TEST);
  }

 private:
  lb_engine::ShaderProgram* lit;
  lb_engine::Mesh3D* cube;
  unsigned int crate;
  lb_engine::RenderBuffer buffer;
  lb_engine::Matrix projection, view;
};

class MinimalDemo : public lb_engine::Demo {
 public:
  using Demo::Demo;
  void init() override {
    glClearColor(0, 0, 0, 1);
    scenes.push_back(new SpinningCube(width, height, new lb_engine::Config("data/catalogue.txt")));
  }
};

bool fail(const std::string& message) {
  std::fprintf(stderr, "minimal: %s\n", message.c_str());
  return false;
}

// A GL 4.1 core context on a window: hidden and 320x180 for a single frame.
bool openWindow(bool hidden, int width, int height) {
  std::string error;
  if (!lb_engine::startSdlVideo(&error, hidden)) return fail("cannot start SDL video: " + error);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_Window* window = SDL_CreateWindow("lb_engine minimal example", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                        width, height, SDL_WINDOW_OPENGL | (hidden ? SDL_WINDOW_HIDDEN : 0));
  if (window == nullptr || SDL_GL_CreateContext(window) == nullptr) return fail(SDL_GetError());
  if (!lb_engine::loadGlEntryPoints(&error)) return fail(error);
  return true;
}

// Catalogue paths are relative: work from the folder that holds data/.
bool enterDataFolder() {
  char* base = SDL_GetBasePath();
  const bool entered = base != nullptr && chdir(base) == 0 && access("data/catalogue.txt", R_OK) == 0;
  SDL_free(base);
  return entered || fail("no data/catalogue.txt beside the executable");
}

// The window's back buffer, bottom row first as GL reads it, as an RGB PNG.
bool writeFrame(const std::string& path, int width, int height) {
  std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = PNG_FORMAT_RGB;
  // A negative row stride tells libpng that the last row in memory is the top one.
  if (png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), -width * 3, nullptr)) return true;
  return fail(path + ": " + image.message);
}

void play(lb_engine::Demo& demo) {
  for (bool quit = false; !quit;) {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
      quit |= event.type == SDL_QUIT || (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE);
    }
    demo.show(SDL_GetTicks() / 1000.0);
    SDL_GL_SwapWindow(SDL_GL_GetCurrentWindow());
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  CLI::App app("The lb_engine minimal example: a lit, textured cube turning behind a post-processing pass.");
  CLI::Option* frame = app.add_option("--frame", options.frameTime, "render the frame at this time (seconds)")
                           ->check(CLI::NonNegativeNumber);
  app.add_option("--out", options.out, "PNG file for --frame (320x180)")->needs(frame);
  frame->needs("--out");
  CLI11_PARSE(app, argc, argv);

  const bool once = options.frameTime >= 0;
  const int width = once ? 320 : 1280, height = once ? 180 : 720;
  if (once) options.out = std::filesystem::absolute(options.out).string();  // before leaving the working folder
  if (!openWindow(once, width, height) || !enterDataFolder()) return 1;
  MinimalDemo demo(width, height);
  demo.init();
  if (!once) {
    play(demo);
    return 0;
  }
  demo.show(options.frameTime);
  return writeFrame(options.out, width, height) ? 0 : 1;
}
