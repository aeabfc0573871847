// lattice-bloom-dev: the director's player. Builds the show exactly as it
// plays (same start-up order, catalogue and scenes) in a window and plays it
// under a transport: seek, pause, frame steps, loops, an overlay with the
// timeline, and live reloading of shaders and images. The show itself keeps
// its design; this is a separate program for working on it.

#include "ContentRegenerator.h"
#include "DataSetLocator.h"
#include "DevOptions.h"
#include "GlLoader.h"
#include "MusicTrack.h"
#include "MyDemo.h"
#include "OutputFile.h"
#include "Platform.h"
#include "Player.h"
#include "SdlVideo.h"

#include <SDL.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace {

const char* const kProgram = "lattice-bloom-dev";

int fail(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
  return 1;
}

std::string workingDirectory() {
  std::error_code failed;
  const std::filesystem::path folder = std::filesystem::current_path(failed);
  return failed ? "." : lb_engine::pathText(folder);
}

SDL_Window* openWindow(const lb_dev::DevOptions& options) {
  const Uint32 flags = SDL_WINDOW_OPENGL | (options.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  return SDL_CreateWindow("Lattice Bloom (director)", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                          options.fullscreen ? 0 : options.width, options.fullscreen ? 0 : options.height, flags);
}

// The show's context: OpenGL 4.1 core, attributes set after the window exists.
void* createContext(SDL_Window* window, std::string* error) {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  void* context = SDL_GL_CreateContext(window);
  if (context == nullptr) {
    *error = std::string("cannot create an OpenGL 4.1 core-profile context: ") + SDL_GetError();
    return nullptr;
  }
  if (!lb_engine::loadGlEntryPoints(error)) return nullptr;
  return context;
}

}  // namespace

int main(int argc, char** argv) {
  // SIGINT and SIGTERM end the player through its loop (like Escape), and a
  // screenshot past a file-size limit fails instead of killing it.
  lb_engine::catchStopSignals();
  lb_dev::DevOptions options;
  int status = 0;
  if (!lb_dev::readDevOptions(argc, argv, &options, &status)) return status;
  // The generator is built for Linux only (the Windows release carries the
  // data set made there), so only a Linux build knows one.
  if (options.watchContent && std::string(LB_DEV_DATAGEN).empty())
    return fail("--watch-content works on Linux only: this build has no content generator to rerun");
  // Screenshots land where the player was started; finding the data set may
  // change the working directory.
  const std::string startFolder = workingDirectory();
  std::string error;
  if (!lb_engine::locateDataSet(&error)) return fail(error);
  if (!lb_engine::startSdlVideo(&error)) return fail("cannot open the display: " + error);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    std::fprintf(stderr, "%s: no audio (%s); playing without sound\n", kProgram, SDL_GetError());

  SDL_Window* window = openWindow(options);
  if (window == nullptr) return fail(std::string("cannot open an OpenGL window: ") + SDL_GetError());
  void* context = createContext(window, &error);
  if (context == nullptr) return fail(error);

  lb_dev::MusicTrack music;
  if (!music.open("data/music.mp3", &error)) std::fprintf(stderr, "%s: %s; playing without sound\n", kProgram, error.c_str());

  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window, &width, &height);
  MyDemo* demo = new MyDemo(width, height);
  demo->init();

  lb_dev::Player player(window, context, demo, &music, options, startFolder);
  if (!player.start(&error)) {
    std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
    return 2;
  }
  if (options.watchContent) {
    std::unique_ptr<lb_dev::ContentRegenerator> regenerator(new lb_dev::ContentRegenerator(
        LB_DEV_DATAGEN, LB_DEV_CONTENT_DIR, workingDirectory() + "/data", LB_DEV_FONT));
    if (!player.watchContent(std::move(regenerator), &error)) return fail(error);
  }
  player.run();

  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
