#include "Player.h"

#include "Config.h"
#include "FrameRenderer.h"
#include "GlObjectCount.h"
#include "GlState.h"
#include "MyDemo.h"
#include "OutputFile.h"
#include "Platform.h"
#include "PngWriter.h"
#include "SceneTable.h"

#include <SDL.h>

#include <cstdio>
#include <filesystem>

namespace lb_dev {

namespace {

const char* const kProgram = "lattice-bloom-dev";
const size_t kFrameHistory = 300;       // frames in the graph: five seconds at 60 fps
const int kPausedWaitMs = 15;           // while paused, wait this long for input between frames
const double kSmallSeek = 1.0, kBigSeek = 10.0;  // seconds
const int kBarLoopLengths[] = {1, 2, 4, 8};      // N cycles through these; B loops that many bars

// The scene a number key jumps to: 1 to 9 the first nine, 0 the tenth; -1 for other keys.
int bookmarkScene(SDL_Keycode key) {
  if (key >= SDLK_1 && key <= SDLK_9) return static_cast<int>(key - SDLK_1);
  return key == SDLK_0 ? 9 : -1;
}

// The length after `bars` in kBarLoopLengths, round and round.
int nextBarLoopLength(int bars) {
  const size_t count = sizeof kBarLoopLengths / sizeof kBarLoopLengths[0];
  for (size_t i = 0; i < count; ++i) {
    if (kBarLoopLengths[i] == bars) return kBarLoopLengths[(i + 1) % count];
  }
  return kBarLoopLengths[0];
}

}  // namespace

Player::Player(SDL_Window* window, void* glContext, MyDemo* demo, MusicTrack* music, const DevOptions& options,
               std::string shotFolder)
    : window_(window),
      demo_(demo),
      music_(music),
      options_(options),
      shotFolder_(std::move(shotFolder)),
      transport_(sceneSpans(*demo)),
      reloader_(demo->catalogue()) {
  SDL_GL_GetDrawableSize(window, &width_, &height_);
  std::string error;
  overlayReady_ = overlay_.init(window, glContext, &error);
  if (!overlayReady_) say("no overlay: " + error);
  overlayShown_ = !options.clean;
  muted_ = options.mute;
  music_->setMuted(muted_);
  for (const std::string& folder : reloader_.sourceFolders()) {
    if (!dataWatcher_.watch(folder, &error)) say(error + "; its files are reloaded with F5 only");
  }
}

bool Player::start(std::string* error) {
  const double t0 = now();
  if (options_.loopGiven) {
    transport_.setLoop(options_.loopFrom, options_.loopTo);
    transport_.seek(options_.loopFrom, t0);
  }
  if (options_.atGiven) transport_.seek(options_.at, t0);
  if (!options_.scene.empty()) {
    const int index = transport_.findScene(options_.scene);
    if (index < 0) {
      *error = "--scene: no scene called \"" + options_.scene + "\"; the scenes are";
      for (const SceneSpan& span : transport_.scenes()) *error += " " + span.name;
      return false;
    }
    transport_.seekToScene(index, t0);
  }
  if (!options_.loopGiven && !options_.atGiven && options_.scene.empty()) transport_.seek(0.0, t0);
  return true;
}

bool Player::watchContent(std::unique_ptr<ContentRegenerator> regenerator, std::string* error) {
  // Every folder below content/, since the generator reads them all.
  const std::string root = regenerator->contentDir();
  if (!contentWatcher_.watch(root, error)) return false;
  std::error_code failed;
  for (auto it = std::filesystem::recursive_directory_iterator(root, failed);
       !failed && it != std::filesystem::recursive_directory_iterator(); it.increment(failed)) {
    if (it->is_directory() && !contentWatcher_.watch(it->path().string(), error)) return false;
  }
  regenerator_ = std::move(regenerator);
  return true;
}

double Player::now() const {
  return static_cast<double>(SDL_GetPerformanceCounter()) / static_cast<double>(SDL_GetPerformanceFrequency());
}

void Player::say(const std::string& line) {
  std::fprintf(stderr, "%s: %s\n", kProgram, line.c_str());
  status_ = line;
}

void Player::run() {
  while (!quit_) {
    handleEvents();
    if (lb_engine::stopSignal() != 0) quit_ = true;
    reloadChangedFiles();
    if (pendingSeek_ >= 0) {
      transport_.seek(pendingSeek_, now());
      pendingSeek_ = -1.0;
    }
    transport_.update(now());
    // Moving the music can take a while (MP3 seeks decode); the clock counts
    // from when it is done, so that sound and picture start together.
    if (music_->follow(transport_)) transport_.rebase(now());
    drawFrame(transport_.time());
    SDL_GL_SwapWindow(window_);
    recordFrameTime();
    if (options_.statsEvery > 0) printStats();
    if (!transport_.playing()) SDL_WaitEventTimeout(nullptr, kPausedWaitMs);
  }
}

void Player::handleEvents() {
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) {
    if (event.type == SDL_QUIT ||
        (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)) {
      quit_ = true;
    }
    if (overlayReady_ && overlayShown_ && overlay_.handleEvent(event)) continue;
    if (event.type == SDL_KEYDOWN) handleKey(event);
  }
}

void Player::handleKey(const SDL_Event& event) {
  const SDL_Keycode key = event.key.keysym.sym;
  const bool shift = (event.key.keysym.mod & KMOD_SHIFT) != 0;
  const bool repeat = event.key.repeat != 0;
  const double t = now();
  // Moves repeat while the key is held; switches act once per press.
  switch (key) {
    case SDLK_ESCAPE: quit_ = true; return;
    case SDLK_LEFT: transport_.seekBy(shift ? -kBigSeek : -kSmallSeek, t); return;
    case SDLK_RIGHT: transport_.seekBy(shift ? kBigSeek : kSmallSeek, t); return;
    case SDLK_PAGEUP: transport_.previousScene(t); return;
    case SDLK_PAGEDOWN: transport_.nextScene(t); return;
    case SDLK_HOME: transport_.seek(0.0, t); return;
    case SDLK_COMMA: transport_.step(-1, t); return;
    case SDLK_PERIOD: transport_.step(1, t); return;
    case SDLK_UP: shift ? transport_.stepBars(1, t) : transport_.stepBeats(1, t); return;
    case SDLK_DOWN: shift ? transport_.stepBars(-1, t) : transport_.stepBeats(-1, t); return;
    default: break;
  }
  if (repeat) return;
  if (bookmarkScene(key) >= 0) {
    transport_.seekToScene(bookmarkScene(key), t);
    return;
  }
  switch (key) {
    case SDLK_SPACE: transport_.togglePause(t); break;
    case SDLK_l: transport_.toggleSceneLoop(); break;
    case SDLK_b:
      if (transport_.looping()) {
        transport_.clearLoop();
      } else {
        transport_.loopBars(transport_.position().bar, barLoopLength_);
      }
      break;
    case SDLK_n: {
      barLoopLength_ = nextBarLoopLength(barLoopLength_);
      // A loop on whole bars keeps its first bar and takes the new length.
      const int first = transport_.grid().barStartingAt(transport_.loopStart());
      if (transport_.looping() && first > 0 && transport_.grid().barStartingAt(transport_.loopEnd()) > 0)
        transport_.loopBars(first, barLoopLength_);
      break;
    }
    case SDLK_m:
      muted_ = !muted_;
      music_->setMuted(muted_);
      break;
    case SDLK_F1: overlayShown_ = !overlayShown_; break;
    case SDLK_F5: reloadAllRequested_ = true; break;
    case SDLK_F12: shotRequested_ = true; break;
    default: break;
  }
}

void Player::reloadChangedFiles() {
  if (regenerator_) {
    if (!contentWatcher_.changes(now()).empty()) regenerator_->request();
    const std::string done = regenerator_->poll();
    if (!done.empty()) say(done);
  }
  if (reloadAllRequested_) {
    reloadAllRequested_ = false;
    dataWatcher_.changes(now());  // covered by the full reload
    applyReload(reloader_.reloadAll());
    return;
  }
  const std::vector<std::string> changed = dataWatcher_.changes(now());
  if (!changed.empty()) applyReload(reloader_.reloadChanged(changed));
}

void Player::applyReload(const ReloadReport& report) {
  if (!report.anything()) return;
  ++reloads_;
  if (!report.buildLog.empty()) buildLog_ = report.buildLog;
  if (report.programsFailed > 0) std::fprintf(stderr, "%s", report.buildLog.c_str());
  if (!report.problems.empty()) std::fprintf(stderr, "%s", report.problems.c_str());
  say("reload: " + report.summary());
}

void Player::drawFrame(double t) {
  lb_render::showFrame(demo_, t);
  if (overlayReady_ && overlayShown_) {
    OverlayModel model;
    model.transport = &transport_;
    model.frameMs = &frameMs_;
    model.buildLog = buildLog_;
    model.status = status_;
    model.muted = muted_;
    model.barLoopLength = barLoopLength_;
    double seekTo = 0.0;
    if (overlay_.draw(model, &seekTo)) pendingSeek_ = seekTo;
  }
  if (shotRequested_) {
    shotRequested_ = false;
    writeScreenshot(t);
  }
}

void Player::writeScreenshot(double t) {
  GlStateGuard guard;
  lb_render::Image image;
  lb_render::readFrame(width_, height_, &readBack_, &image);
  std::string path;
  do {
    path = shotFolder_ + "/director-" + std::to_string(++shotCount_) + ".png";
  } while (std::filesystem::exists(path));
  std::string error;
  if (!lb_render::writePng(path, image, &error)) {
    say("screenshot failed: " + error);
    return;
  }
  // The clock to the last bit (17 digits read back to the same double), so
  // that the offline renderer can be asked for the very same frame.
  char line[64];
  std::snprintf(line, sizeof line, "t = %.17g s", t);
  std::printf("%s: screenshot %s -> %s\n", kProgram, line, path.c_str());
  std::fflush(stdout);
  status_ = "screenshot " + path;
}

// One line on standard output every --stats seconds, for a script watching a
// long session: the clock, the reloads so far and the GL objects alive.
void Player::printStats() {
  const double t = now();
  if (nextStats_ < 0) nextStats_ = t;  // the first line at once
  if (t < nextStats_) return;
  nextStats_ += options_.statsEvery;
  if (nextStats_ <= t) nextStats_ = t + options_.statsEvery;  // after a long stall, no burst of lines
  // The heap in use (the platform layer's figure, where it has one) tells a
  // leak from memory the allocator keeps for reuse.
  const long long heap = lb_engine::heapBytesInUse();
  std::printf("%s: stats clock=%.3f reloads=%d %s heap-kib=%s\n", kProgram, transport_.time(), reloads_,
              countGlObjects().describe().c_str(), heap < 0 ? "unknown" : std::to_string(heap / 1024).c_str());
  std::fflush(stdout);
}

void Player::recordFrameTime() {
  const double swapped = now();
  if (lastSwap_ >= 0) {
    if (frameMs_.size() == kFrameHistory) frameMs_.erase(frameMs_.begin());
    frameMs_.push_back(static_cast<float>((swapped - lastSwap_) * 1e3));
  }
  lastSwap_ = swapped;
}

}  // namespace lb_dev
