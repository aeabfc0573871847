// Lattice Bloom in a web page: the same demo, data set and music as the desktop
// show, driven by the browser. main() loads everything and tells the page it is
// ready; the page's start button (a user gesture, which browsers require before
// sound) calls lb_web_start, and from then on the browser calls frame() once per
// display refresh until the clock passes the show's end or the page calls
// lb_web_stop. The clock starts with the music, as on the desktop.
//
// The page's side (index.html) is the other half of this file's interface:
//   Module.onShowReady()        everything is loaded; the button may be offered
//   Module.onShowEnded()        the show stopped (its end, or lb_web_stop)
//   Module.onShowFailed(text)   a fatal error, in words for the page (the
//                               loaders' fatal errors included)
//   Module.onShowWarning(text)  something is missing, the show plays on

#include "DataSetContract.h"
#include "DataSetLocator.h"
#include "FatalError.h"
#include "GlLoader.h"
#include "MusicStart.h"
#include "MyDemo.h"
#include "SdlVideo.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <emscripten.h>

#include <string>

namespace {

struct Show {
  SDL_Window* window = nullptr;
  MyDemo* demo = nullptr;
  Mix_Music* music = nullptr;
  bool playing = false;
  bool held = false;       // the clock stands still at heldAt (a picture to look at)
  double heldAt = 0.0;     // seconds
  double startMs = 0.0;    // emscripten_get_now() when the clock read 0
  double lastClock = 0.0;  // seconds, the clock of the frame drawn last
  double frames = 0;       // frames drawn since the page opened
  bool musicOn = false;    // the music was started for this play
  double musicFrom = 0.0;  // seconds into the music where it was started
  double mixedFrames = 0;  // sample frames the mixer handed to the browser since then
};

Show show;

constexpr int kMixRate = 44100;
constexpr int kMixBytesPerFrame = 4;  // 16-bit stereo

// Runs in the audio callback, which the browser calls only while the page's
// AudioContext runs: the samples counted are the music actually delivered.
void countMixed(void*, Uint8*, int bytes) {
  if (show.musicOn && Mix_PlayingMusic() != 0) show.mixedFrames += bytes / kMixBytesPerFrame;
}

void fail(const std::string& message) {
  EM_ASM({ Module.onShowFailed(UTF8ToString($0)); }, message.c_str());
}

// The loaders' fatal errors (a damaged mesh, a missing catalogue key): the
// runtime swallows their exit, so the page hears of them here first.
void failFromLoader(const std::string& message) {
  show.playing = false;
  fail(message);
}

double clockNow() {
  return show.held ? show.heldAt : (emscripten_get_now() - show.startMs) / 1000.0;
}

void stop() {
  if (!show.playing) return;
  show.playing = false;
  show.musicOn = false;
  Mix_HaltMusic();
  EM_ASM({ Module.onShowEnded(); });
}

// One display refresh. Input reaches the page, not SDL's queue, which is only
// drained here.
void frame() {
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) {
  }
  if (!show.playing) return;
  const double t = clockNow();
  if (t > MyDemo::kShowLength) {
    stop();
    return;
  }
  show.demo->show(t);
  show.lastClock = t;
  show.frames += 1;
}

}  // namespace

extern "C" {

// Starts the music at the clock's position (a show started silent, whose page
// got the browser's permission for sound later); 1 where it plays now.
EMSCRIPTEN_KEEPALIVE int lb_web_sound_on() {
  if (!show.playing || show.held || show.music == nullptr) return 0;
  if (show.musicOn) return 1;
  const double at = clockNow();
  // SDL_mixer's MP3 decoder here is dr_mp3, which plays the encoder's lead-in:
  // the music is started past it, as on Windows.
  if (lb_show::playMusicAt(show.music, lb_dataset::kMusicPath, at) != 0) return 0;
  show.musicOn = true;
  show.musicFrom = at;
  show.mixedFrames = 0;
  return 1;
}

// Plays from `fromSeconds` on, with the music unless `withSound` is 0; with
// `hold` set the clock stands at fromSeconds and the music stays silent.
EMSCRIPTEN_KEEPALIVE void lb_web_start(double fromSeconds, int withSound, int hold) {
  if (show.demo == nullptr) return;
  if (fromSeconds < 0.0) fromSeconds = 0.0;
  if (fromSeconds > MyDemo::kShowLength) fromSeconds = MyDemo::kShowLength;
  Mix_HaltMusic();
  show.musicOn = false;
  show.held = hold != 0;
  show.heldAt = fromSeconds;
  show.startMs = emscripten_get_now() - fromSeconds * 1000.0;
  show.playing = true;
  if (withSound != 0) lb_web_sound_on();
}

// Where the music is, in seconds, by the samples the mixer delivered to the
// browser; -1 while no music plays (for the page and its checks).
EMSCRIPTEN_KEEPALIVE double lb_web_music() {
  if (!show.musicOn || Mix_PlayingMusic() == 0) return -1.0;
  return show.musicFrom + show.mixedFrames / kMixRate;
}

EMSCRIPTEN_KEEPALIVE void lb_web_stop() { stop(); }

// The clock of the frame drawn last, in seconds (for the page and its checks).
EMSCRIPTEN_KEEPALIVE double lb_web_clock() { return show.lastClock; }

// How many frames were drawn since the page opened (for the page and its checks).
EMSCRIPTEN_KEEPALIVE double lb_web_frames() { return show.frames; }

}  // extern "C"

int main() {
  lb_engine::setFatalReporter(failFromLoader);
  std::string error;
  if (!lb_engine::locateDataSet(&error)) {
    fail(error);
    return 1;
  }
  if (!lb_engine::startSdlVideo(&error)) {
    fail("cannot start SDL's video: " + error);
    return 1;
  }
  // Without audio the show plays silently on the same clock, as on the desktop.
  const bool audio = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 &&
                     Mix_OpenAudio(kMixRate, AUDIO_S16LSB, 2, 2048) == 0;
  if (audio) Mix_SetPostMix(countMixed, nullptr);

  // The canvas keeps the size the page gave it when it loaded; the page scales
  // it to fill the window or the screen.
  const int width = EM_ASM_INT({ return Module.canvas.width; });
  const int height = EM_ASM_INT({ return Module.canvas.height; });
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
  show.window = SDL_CreateWindow("Lattice Bloom", 0, 0, width, height, SDL_WINDOW_OPENGL);
  if (show.window == nullptr || SDL_GL_CreateContext(show.window) == nullptr) {
    fail(std::string("this browser offers no WebGL2 (") + SDL_GetError() + ")");
    return 1;
  }
  if (!lb_engine::loadGlEntryPoints(&error)) {
    fail(error);
    return 1;
  }

  if (audio) {
    show.music = Mix_LoadMUS(lb_dataset::kMusicPath);
    if (show.music == nullptr) {
      const std::string warning = std::string(lb_dataset::kMusicPath) + ": " + Mix_GetError() + "; playing without sound";
      EM_ASM({ Module.onShowWarning(UTF8ToString($0)); }, warning.c_str());
    }
  }
  show.demo = new MyDemo(width, height);
  show.demo->init();

  emscripten_set_main_loop(frame, 0, 0);
  EM_ASM({ Module.onShowReady(); });
  return 0;
}
