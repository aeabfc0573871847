#include "MusicTrack.h"

#include "Transport.h"

#include <SDL_mixer.h>

namespace lb_dev {

MusicTrack::~MusicTrack() {
  if (music_ != nullptr) Mix_FreeMusic(music_);
}

bool MusicTrack::open(const char* path, std::string* why) {
  // The show's own device settings: 44.1 kHz, signed 16-bit, stereo, 2048 frames.
  if (Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 2048) != 0) {
    *why = std::string("no audio device (") + Mix_GetError() + ")";
    return false;
  }
  music_ = Mix_LoadMUS(path);
  if (music_ == nullptr) {
    *why = std::string(path) + ": " + Mix_GetError();
    return false;
  }
  return true;
}

bool MusicTrack::follow(const Transport& transport) {
  const bool jumped = transport.jumpCount() != jumps_;
  const bool toggled = transport.playing() != playing_;
  jumps_ = transport.jumpCount();
  playing_ = transport.playing();
  if (!jumped && !toggled) return false;
  if (!transport.playing()) {
    if (music_ != nullptr) Mix_PauseMusic();
    return false;
  }
  if (music_ != nullptr) {
    // A track that has played to its end (or never started) is started again
    // before it is moved; it plays once, like the show's.
    if (Mix_PlayingMusic() == 0) Mix_PlayMusic(music_, 1);
    Mix_SetMusicPosition(transport.time());
    Mix_ResumeMusic();
  }
  return true;
}

void MusicTrack::setMuted(bool muted) { Mix_VolumeMusic(muted ? 0 : MIX_MAX_VOLUME); }

}  // namespace lb_dev
