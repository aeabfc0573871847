#pragma once
// The director's player: the show's MyDemo under a transport, with the
// overlay, live reloading and screenshots. All of its state is in this one
// class; main() only brings up the window and the demo and hands them over.

#include "AssetReloader.h"
#include "ContentRegenerator.h"
#include "DevOptions.h"
#include "FileWatcher.h"
#include "MusicTrack.h"
#include "Overlay.h"
#include "Transport.h"

#include <memory>
#include <string>
#include <vector>

struct SDL_Window;
union SDL_Event;
class MyDemo;

namespace lb_dev {

class Player {
 public:
  // `demo` is built and initialised in `window`'s current GL context; `music`
  // is open (or silent). Screenshots go to `shotFolder`.
  Player(SDL_Window* window, void* glContext, MyDemo* demo, MusicTrack* music, const DevOptions& options,
         std::string shotFolder);
  // False with a message when the start position (--scene) does not exist.
  bool start(std::string* error);
  // Plays until Escape or a close request.
  void run();
  // Watches content/ and regenerates the data set through `regenerator`.
  bool watchContent(std::unique_ptr<ContentRegenerator> regenerator, std::string* error);

 private:
  void handleEvents();
  void handleKey(const SDL_Event& event);
  void reloadChangedFiles();
  void applyReload(const ReloadReport& report);
  void drawFrame(double t);
  void writeScreenshot(double t);
  void recordFrameTime();
  void printStats();
  double now() const;
  void say(const std::string& line);

  SDL_Window* window_;
  MyDemo* demo_;
  MusicTrack* music_;
  DevOptions options_;
  std::string shotFolder_;
  int width_ = 0;
  int height_ = 0;

  Transport transport_;
  Overlay overlay_;
  bool overlayReady_ = false;
  bool overlayShown_ = true;
  bool muted_ = false;
  int barLoopLength_ = 4;  // bars that B loops; N changes it
  bool quit_ = false;
  bool shotRequested_ = false;
  int shotCount_ = 0;

  AssetReloader reloader_;
  FileWatcher dataWatcher_;
  FileWatcher contentWatcher_;
  std::unique_ptr<ContentRegenerator> regenerator_;
  bool reloadAllRequested_ = false;
  std::string buildLog_;
  std::string status_;

  std::vector<unsigned char> readBack_;  // screenshot scratch, RGBA
  std::vector<float> frameMs_;  // the last kFrameHistory frame times, oldest first
  double lastSwap_ = -1.0;
  double pendingSeek_ = -1.0;
  double nextStats_ = -1.0;  // now() at which --stats prints next
  int reloads_ = 0;          // reloads that changed anything, for --stats
};

}  // namespace lb_dev
