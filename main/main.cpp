// Lattice Bloom: opens the full-screen window, loads everything, then plays the
// show in step with its music until Escape or until the clock passes 130 s.

#include "CommandLine.h"
#include "DataSetContract.h"
#include "DataSetLocator.h"
#include "FatalError.h"
#include "Gl.h"
#include "GlLoader.h"
#include "MusicStart.h"
#include "MyDemo.h"
#include "SdlVideo.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <string>

namespace {

const char* const kProgram = "lattice-bloom";

// The full-screen-desktop window, created at the size of the desktop's display
// mode rather than 0 by 0: a window manager that supports full screen resizes
// it anyway, but without one (bare X, a kiosk) nothing would, and SDL's 0 by 0
// becomes a 1x1 window that plays the show to nobody. Without a window manager
// nobody gives the window the keyboard focus either: SDL's X11 backend happens
// to take it then, but that is no promise of its interface, and Escape must
// reach the window, so it is asked for here.
SDL_Window* openShowWindow() {
  const int display = 0;  // where SDL_WINDOWPOS_UNDEFINED places the window
  SDL_DisplayMode desktop;
  // With no mode to go by, 0 by 0 leaves the size to a window manager as before.
  if (SDL_GetDesktopDisplayMode(display, &desktop) != 0) desktop.w = desktop.h = 0;
  SDL_Window* window = SDL_CreateWindow("Lattice Bloom", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, desktop.w,
                                        desktop.h, SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_OPENGL);
  if (window != nullptr) {
    SDL_RaiseWindow(window);
    SDL_SetWindowInputFocus(window);
  }
  return window;
}

// Escape, Alt-F4 and the window system's close request (the close button, or
// Alt-F4 where a window manager takes that key) end the show. A full-screen
// window offers the viewer no other way out.
bool endsShow(const SDL_Event& event) {
  if (event.type == SDL_KEYDOWN) {
    const SDL_Keysym& key = event.key.keysym;
    return key.sym == SDLK_ESCAPE || (key.sym == SDLK_F4 && (key.mod & KMOD_ALT) != 0);
  }
  if (event.type == SDL_WINDOWEVENT) return event.window.event == SDL_WINDOWEVENT_CLOSE;
  return event.type == SDL_QUIT;
}

// The show takes no options beyond these two, so that a menu entry, a file
// manager and a terminal all start the same show; the manual page is made from
// this help.
// Returns -1 when the show should play, otherwise the exit status.
int readCommandLine(int argc, char** argv) {
  CLI::App app("Plays Lattice Bloom by Quasar Fern, a real-time audiovisual demo: ten 3D scenes\n"
               "in step with their own music, 130 seconds, full screen on the desktop's display.\n"
               "Escape, Alt-F4 or the window's close button end it early.",
               "lattice-bloom");
  bool help = false, version = false;
  lb_cli::configure(&app, "usage: lattice-bloom [--help | --version]\n",
                    "The data set (data/config.txt and what it names) is looked for in the working\n"
                    "directory, beside the program, then in ../share/lattice-bloom/ beside the\n"
                    "program's folder. The show needs an OpenGL 4.1 core driver; without a sound\n"
                    "device it plays silently.\n\n"
                    "Exit status: 0 when the show has played or was ended, 1 when the data set, the\n"
                    "display or OpenGL 4.1 is missing, 2 for a wrong command line.\n",
                    &help);
  app.add_flag("--version", version, "prints the version");
  std::string error;
  if (!lb_cli::parse(&app, argc, argv, &error)) return lb_cli::refuse(app, error);
  if (help) {
    std::printf("%s", app.help().c_str());
    return 0;
  }
  if (version) {
    std::printf("lattice-bloom %s\n", LB_VERSION);
    return 0;
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int commandLineStatus = readCommandLine(argc, argv);
  if (commandLineStatus >= 0) return commandLineStatus;
  // Whoever double-clicked the show sees no standard error: why it cannot start
  // is shown in a box as well.
  lb_engine::enableErrorBox("Lattice Bloom cannot start");
  std::string dataError;
  if (!lb_engine::locateDataSet(&dataError)) {
    lb_engine::reportError(kProgram, dataError);
    return 1;
  }

  // Video and audio are started one after the other rather than in one call,
  // so that a missing audio device leaves video running: the show then plays
  // silently, on the same clock.
  std::string videoError;
  if (!lb_engine::startSdlVideo(&videoError)) {
    lb_engine::reportError(kProgram, "cannot open the display: " + videoError);
    return 1;
  }
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "lattice-bloom: no audio (%s); playing without sound\n", SDL_GetError());
  }
  SDL_Window* window = openShowWindow();
  if (window == nullptr) {
    lb_engine::reportError(kProgram, std::string("cannot open a full-screen OpenGL window: ") + SDL_GetError());
    SDL_Quit();
    return 1;
  }
  SDL_ShowCursor(SDL_DISABLE);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  if (SDL_GL_CreateContext(window) == nullptr) {
    // The window goes first: a full-screen window would hide the box.
    const std::string why = std::string("cannot create an OpenGL 4.1 core-profile context: ") + SDL_GetError() +
                            "\nThe show needs a graphics driver with OpenGL 4.1.";
    SDL_DestroyWindow(window);
    lb_engine::reportError(kProgram, why);
    SDL_Quit();
    return 1;
  }
  std::string glError;
  if (!lb_engine::loadGlEntryPoints(&glError)) {
    SDL_DestroyWindow(window);
    lb_engine::reportError(kProgram, glError);
    SDL_Quit();
    return 1;
  }

  Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 2048);
  Mix_Music* music = Mix_LoadMUS(lb_dataset::kMusicPath);

  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window, &width, &height);
  lb_engine::Demo* demo = new MyDemo(width, height);
  demo->init();

  lb_show::playMusicFromStart(music, lb_dataset::kMusicPath);
  const Uint32 start = SDL_GetTicks();

  int quit = 0;
  SDL_Event event;
  while (quit == 0) {
    while (SDL_PollEvent(&event) != 0) {
      if (endsShow(event)) quit = 1;
    }
    const double t = (static_cast<double>(SDL_GetTicks()) - static_cast<double>(start)) / 1000.0;
    if (t > MyDemo::kShowLength) quit = 1;
    demo->show(t);
    SDL_GL_SwapWindow(window);
  }

  SDL_ShowCursor(SDL_ENABLE);
  SDL_DestroyWindow(window);
  Mix_FreeMusic(music);
  Mix_Quit();
  SDL_Quit();
  return 0;
}
