// Lattice Bloom: opens the full-screen window, loads everything, then plays the
// show in step with its music until Escape or until the clock passes 130 s.

#include "DataSetContract.h"
#include "DataSetLocator.h"
#include "Gl.h"
#include "GlLoader.h"
#include "MyDemo.h"
#include "SdlVideo.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <string>

namespace {

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

}  // namespace

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  std::string dataError;
  if (!lb_engine::locateDataSet(&dataError)) {
    std::fprintf(stderr, "lattice-bloom: %s\n", dataError.c_str());
    return 1;
  }

  // Video and audio are started one after the other rather than in one call,
  // so that a missing audio device leaves video running: the show then plays
  // silently, on the same clock.
  std::string videoError;
  if (!lb_engine::startSdlVideo(&videoError)) {
    std::fprintf(stderr, "lattice-bloom: cannot open the display: %s\n", videoError.c_str());
    return 1;
  }
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "lattice-bloom: no audio (%s); playing without sound\n", SDL_GetError());
  }
  SDL_Window* window = openShowWindow();
  if (window == nullptr) {
    std::fprintf(stderr, "lattice-bloom: cannot open a full-screen OpenGL window: %s\n", SDL_GetError());
    SDL_Quit();
    return 1;
  }
  SDL_ShowCursor(SDL_DISABLE);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  if (SDL_GL_CreateContext(window) == nullptr) {
    std::fprintf(stderr, "lattice-bloom: cannot create an OpenGL 4.1 core-profile context: %s\n",
                 SDL_GetError());
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 1;
  }
  std::string glError;
  if (!lb_engine::loadGlEntryPoints(&glError)) {
    std::fprintf(stderr, "lattice-bloom: %s\n", glError.c_str());
    SDL_DestroyWindow(window);
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

  Mix_PlayMusic(music, 1);
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
