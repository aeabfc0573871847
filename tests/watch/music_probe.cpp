// music_probe: the show's music as a build of the show decodes and plays it,
// for comparing the Linux and Windows builds (their SDL_mixer decodes MP3 with
// mpg123 and dr_mp3 respectively).
//
//   music_probe MUSIC.mp3 SECONDS OUT.raw [--uncorrected]
//       plays MUSIC through SDL's audio device (SDL_AUDIODRIVER=disk or dummy
//       where there is no sound card) the way the show starts it, and writes
//       the first SECONDS of what is mixed, from the first buffer that holds
//       music (the show's clock 0), as raw 16-bit stereo at 44100 Hz.
//       --uncorrected starts it with a plain Mix_PlayMusic. Prints the decoder
//       and the samples skipped.
//   music_probe --offset A.raw B.raw
//       prints by how many samples (and ms) B lags A: the shift within
//       +-0.25 s that makes the two most alike over two seconds from 1 s in.

#include "MusicStart.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kRate = 44100;

std::vector<Sint16> recorded;
size_t wanted = 0;
std::atomic<bool> done{false};

// Runs after each mix, on the audio thread: keeps buffers from the first that
// holds music on (music is mixed from the start of a buffer).
void record(void*, Uint8* stream, int len) {
  if (done || (recorded.empty() && Mix_PlayingMusic() == 0)) return;
  const Sint16* samples = reinterpret_cast<const Sint16*>(stream);
  recorded.insert(recorded.end(), samples, samples + len / 2);
  if (recorded.size() >= wanted) done = true;
}

bool readRaw(const char* path, std::vector<Sint16>* samples) {
  FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  Sint16 buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, sizeof(Sint16), 4096, f)) > 0) samples->insert(samples->end(), buffer, buffer + got);
  std::fclose(f);
  return true;
}

int offset(const char* a, const char* b) {
  std::vector<Sint16> x, y;
  if (!readRaw(a, &x) || !readRaw(b, &y)) {
    std::fprintf(stderr, "music_probe: cannot read %s or %s\n", a, b);
    return 2;
  }
  const long from = kRate, length = 2 * kRate, range = kRate / 4;  // in stereo frames
  if (static_cast<long>(x.size()) < 2 * (from + length + range) || static_cast<long>(y.size()) < 2 * (from + length + range)) {
    std::fprintf(stderr, "music_probe: the recordings are too short\n");
    return 2;
  }
  long best = 0;
  double bestDifference = 1e300;
  for (long lag = -range; lag <= range; ++lag) {
    double difference = 0;
    for (long i = from; i < from + length; ++i)
      for (int c = 0; c < 2; ++c) difference += std::abs(x[2 * i + c] - y[2 * (i + lag) + c]);
    if (difference < bestDifference) {
      bestDifference = difference;
      best = lag;
    }
  }
  std::printf("offset_samples=%ld offset_ms=%.2f mean_difference=%.2f\n", best, 1000.0 * best / kRate,
              bestDifference / (2.0 * length));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--offset") == 0) return offset(argv[2], argv[3]);
  if (argc < 4) {
    std::fprintf(stderr, "usage: music_probe MUSIC.mp3 SECONDS OUT.raw [--uncorrected] | --offset A.raw B.raw\n");
    return 2;
  }
  const bool corrected = !(argc > 4 && std::strcmp(argv[4], "--uncorrected") == 0);
  wanted = static_cast<size_t>(std::atof(argv[2]) * kRate) * 2;
  if (SDL_Init(SDL_INIT_AUDIO) != 0 || Mix_OpenAudio(kRate, AUDIO_S16LSB, 2, 2048) != 0) {
    std::fprintf(stderr, "music_probe: no audio device: %s\n", SDL_GetError());
    return 1;
  }
  Mix_Music* music = Mix_LoadMUS(argv[1]);
  if (music == nullptr) {
    std::fprintf(stderr, "music_probe: %s: %s\n", argv[1], Mix_GetError());
    return 1;
  }
  Mix_SetPostMix(record, nullptr);
  long skipped = 0;
  if ((corrected ? lb_show::playMusicFromStart(music, argv[1], &skipped) : Mix_PlayMusic(music, 1)) != 0) {
    std::fprintf(stderr, "music_probe: cannot play %s: %s\n", argv[1], Mix_GetError());
    return 1;
  }
  for (int waited = 0; !done && waited < 600; ++waited) SDL_Delay(100);
  Mix_SetPostMix(nullptr, nullptr);
  Mix_HaltMusic();
  if (!done) {
    std::fprintf(stderr, "music_probe: the music did not play\n");
    return 1;
  }
  recorded.resize(wanted);
  FILE* out = std::fopen(argv[3], "wb");
  if (out == nullptr || std::fwrite(recorded.data(), sizeof(Sint16), recorded.size(), out) != recorded.size()) {
    std::fprintf(stderr, "music_probe: cannot write %s\n", argv[3]);
    return 1;
  }
  std::fclose(out);
  std::printf("decoder=%s skipped_samples=%ld\n", lb_show::mp3DecoderPlaysLeadIn() ? "dr_mp3" : "mpg123", skipped);
  Mix_FreeMusic(music);
  Mix_CloseAudio();
  SDL_Quit();
  return 0;
}
