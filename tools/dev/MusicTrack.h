#pragma once
// The show's music under the transport: paused, resumed and moved with the
// picture through SDL_mixer. Without an audio device or a music file every call
// does nothing and the picture runs on its own clock, as the show does.

#include "NonCopyable.h"

#include <string>

typedef struct _Mix_Music Mix_Music;

namespace lb_dev {

class Transport;

class MusicTrack : lb_engine::NonCopyable {
 public:
  ~MusicTrack();

  // Opens the audio device as the show does and loads `path`. False (with the
  // reason) when there will be no sound; the player goes on silently.
  bool open(const char* path, std::string* why);
  // Brings the music in line with the transport after a jump, a pause or a
  // resume. Returns true when the music was (re)started at the transport's
  // clock, which the caller then re-anchors to the moment the sound starts.
  bool follow(const Transport& transport);
  void setMuted(bool muted);

 private:
  Mix_Music* music_ = nullptr;
  unsigned long jumps_ = ~0ul;  // the transport's jump count last followed
  bool playing_ = false;
};

}  // namespace lb_dev
