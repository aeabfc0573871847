// Lattice Bloom: opens the full-screen window (or the one the options ask
// for), loads everything, then plays the show in step with its music until
// Escape or until the clock passes 130 s (with --loop, from the start again).

#include "CommandLine.h"
#include "DataSetContract.h"
#include "DataSetLocator.h"
#include "FatalError.h"
#include "Gl.h"
#include "GlLoader.h"
#include "MusicStart.h"
#include "MyDemo.h"
#include "ScaledScreen.h"
#include "SdlVideo.h"
#include "ShowOptions.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

const char* const kProgram = "lattice-bloom";

using lb_show::ShowOptions;

// Returns -1 when the show should play, otherwise the exit status. A wrong
// value is one line (and, once boxes are on, a box: a shortcut's options are
// wrong where nobody sees standard error); a wrong command line also lists the
// options.
int readCommandLine(int argc, char** argv, ShowOptions* options, std::string* valueError) {
  std::string error;
  switch (lb_show::parseShowOptions(argc, argv, options, &error)) {
    case lb_show::Parsed::kHelp:
      std::printf("%s", lb_show::showHelp().c_str());
      return 0;
    case lb_show::Parsed::kVersion:
      std::printf("lattice-bloom %s\n", LB_VERSION);
      return 0;
    case lb_show::Parsed::kSyntaxError:
      std::fprintf(stderr, "%s: %s\n%s", kProgram, error.c_str(), lb_show::showHelp().c_str());
      return 2;
    case lb_show::Parsed::kValueError:
      *valueError = error;
      return -1;
    case lb_show::Parsed::kPlay:
      return -1;
  }
  return -1;
}

// The monitor must exist, and a full-screen drawing size must fit it (the
// picture is scaled up, never drawn beyond the screen). Checked once SDL knows
// the displays; false with one line in *error.
bool checkDisplay(const ShowOptions& options, std::string* error) {
  const int count = SDL_GetNumVideoDisplays();
  if (options.display >= count) {
    *error = "--display " + std::to_string(options.display) + ": there " + (count == 1 ? "is 1 display" : "are " +
             std::to_string(count) + " displays") + " here, numbered from 0";
    return false;
  }
  SDL_Rect bounds;
  if (options.windowed || !options.sized() || SDL_GetDisplayBounds(options.display, &bounds) != 0) return true;
  if (options.width > bounds.w || options.height > bounds.h) {
    *error = "--size " + std::to_string(options.width) + "x" + std::to_string(options.height) + " is larger than display " +
             std::to_string(options.display) + " (" + std::to_string(bounds.w) + "x" + std::to_string(bounds.h) +
             "): full screen, the show is drawn at most at the screen's size";
    return false;
  }
  return true;
}

// Full screen: the full-screen-desktop window, created at the size of the
// desktop's display mode rather than 0 by 0: a window manager that supports
// full screen resizes it anyway, but without one (bare X, a kiosk) nothing
// would, and SDL's 0 by 0 becomes a 1x1 window that plays the show to nobody.
// Windowed: a window of the drawing size in the middle of the monitor.
// Without a window manager nobody gives the window the keyboard focus either:
// SDL's X11 backend happens to take it then, but that is no promise of its
// interface, and Escape must reach the window, so it is asked for here.
SDL_Window* openShowWindow(const ShowOptions& options) {
  const int display = options.display;
  SDL_Window* window = nullptr;
  if (options.windowed) {
    window = SDL_CreateWindow("Lattice Bloom", SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                              SDL_WINDOWPOS_CENTERED_DISPLAY(display), options.width, options.height,
                              SDL_WINDOW_OPENGL);
  } else {
    SDL_DisplayMode desktop;
    // With no mode to go by, 0 by 0 leaves the size to a window manager as before.
    if (SDL_GetDesktopDisplayMode(display, &desktop) != 0) desktop.w = desktop.h = 0;
    window = SDL_CreateWindow("Lattice Bloom", SDL_WINDOWPOS_UNDEFINED_DISPLAY(display),
                              SDL_WINDOWPOS_UNDEFINED_DISPLAY(display), desktop.w, desktop.h,
                              SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_OPENGL);
  }
  if (window != nullptr) {
    SDL_RaiseWindow(window);
    SDL_SetWindowInputFocus(window);
  }
  return window;
}

// The GL 4.1 core context and its entry points; false with the reason, the
// window already gone (a full-screen window would hide the box).
bool startGl(SDL_Window* window, std::string* error) {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  if (SDL_GL_CreateContext(window) == nullptr) {
    *error = std::string("cannot create an OpenGL 4.1 core-profile context: ") + SDL_GetError() +
             "\nThe show needs a graphics driver with OpenGL 4.1.";
  } else if (lb_engine::loadGlEntryPoints(error)) {
    return true;
  }
  SDL_DestroyWindow(window);
  return false;
}

// --vsync asks for a swap interval; without it the platform's stays.
void applyVsync(lb_show::Vsync vsync) {
  if (vsync == lb_show::Vsync::kPlatformDefault) return;
  const int interval = vsync == lb_show::Vsync::kOn ? 1 : 0;
  if (SDL_GL_SetSwapInterval(interval) != 0)
    std::fprintf(stderr, "%s: the driver refused a swap interval of %d (%s); playing with its own\n", kProgram,
                 interval, SDL_GetError());
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

// The music and the clock, started together at clock value `from`.
struct ShowClock {
  Mix_Music* music = nullptr;  // none with --mute or without a sound device
  double from = 0.0;
  Uint32 start = 0;

  void startAt(double t) {
    if (music != nullptr) lb_show::playMusicAt(music, lb_dataset::kMusicPath, t);
    from = t;
    start = SDL_GetTicks();
  }
  double now() const { return from + (static_cast<double>(SDL_GetTicks()) - static_cast<double>(start)) / 1000.0; }
};

// The frame loop: events, clock, frame, swap, until Escape or the end of the
// show; with --loop the end starts it again from 0, as a fresh start would
// (MyDemo's black clear colour included).
void play(const ShowOptions& options, SDL_Window* window, lb_engine::Demo* demo, const lb_show::ScaledScreen* scaled,
          ShowClock* clock) {
  clock->startAt(options.startAt);
  int quit = 0;
  SDL_Event event;
  while (quit == 0) {
    while (SDL_PollEvent(&event) != 0) {
      if (endsShow(event)) quit = 1;
    }
    double t = clock->now();
    if (t > MyDemo::kShowLength) {
      if (options.loop) {
        clock->startAt(0.0);
        glClearColor(0, 0, 0, 0);
        t = clock->now();
      } else {
        quit = 1;
      }
    }
    if (scaled != nullptr) scaled->beginFrame();
    demo->show(t);
    if (scaled != nullptr) scaled->present();
    SDL_GL_SwapWindow(window);
  }
}

int startFailed(const std::string& message, int status = 1) {
  lb_engine::reportError(kProgram, message);
  SDL_Quit();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  ShowOptions options;
  std::string valueError;
  const int commandLineStatus = readCommandLine(argc, argv, &options, &valueError);
  if (commandLineStatus >= 0) return commandLineStatus;
  // Whoever double-clicked the show sees no standard error: why it cannot start
  // is shown in a box as well.
  lb_engine::enableErrorBox("Lattice Bloom cannot start");
  if (!valueError.empty()) return startFailed(valueError, 2);
  std::string error;
  if (!lb_engine::locateDataSet(&error)) return startFailed(error);

  // Video and audio are started one after the other rather than in one call,
  // so that a missing audio device leaves video running: the show then plays
  // silently, on the same clock. --mute opens no audio device at all.
  if (!lb_engine::startSdlVideo(&error)) return startFailed("cannot open the display: " + error);
  if (!options.mute && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    std::fprintf(stderr, "lattice-bloom: no audio (%s); playing without sound\n", SDL_GetError());
  if (!checkDisplay(options, &error)) return startFailed(error, 2);
  SDL_Window* window = openShowWindow(options);
  if (window == nullptr) return startFailed(std::string("cannot open an OpenGL window: ") + SDL_GetError());
  SDL_ShowCursor(options.windowed ? SDL_ENABLE : SDL_DISABLE);
  if (!startGl(window, &error)) return startFailed(error);
  applyVsync(options.vsync);

  ShowClock clock;
  if (!options.mute) {
    Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 2048);
    clock.music = Mix_LoadMUS(lb_dataset::kMusicPath);
  }
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window, &width, &height);
  // Full screen at a size of the viewer's choice is drawn at that size and scaled.
  std::unique_ptr<lb_show::ScaledScreen> scaled;
  if (!options.windowed && options.sized() && (options.width != width || options.height != height)) {
    scaled.reset(new lb_show::ScaledScreen(options.width, options.height, width, height));
    width = options.width;
    height = options.height;
  }
  lb_engine::Demo* demo = new MyDemo(width, height);
  demo->init();
  play(options, window, demo, scaled.get(), &clock);

  scaled.reset();
  SDL_ShowCursor(SDL_ENABLE);
  SDL_DestroyWindow(window);
  Mix_FreeMusic(clock.music);
  Mix_Quit();
  SDL_Quit();
  return 0;
}
