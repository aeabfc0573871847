#include "MusicStart.h"

#include "FileBytes.h"

#include <cstring>

namespace lb_show {

namespace {

const long kDecoderDelay = 529;  // samples every layer III decoder adds

// Samples per channel in one layer III frame: 1152 for MPEG-1, 576 for 2 and 2.5.
long frameSamples(bool mpeg1) { return mpeg1 ? 1152 : 576; }

}  // namespace

long mp3LeadInSamples(const std::vector<unsigned char>& file, int* sampleRate) {
  size_t at = 0;
  // An ID3v2 tag first: ten bytes of header, then a size in 7-bit bytes.
  if (file.size() >= 10 && std::memcmp(file.data(), "ID3", 3) == 0) {
    at = 10 + (static_cast<size_t>(file[6] & 0x7f) << 21 | static_cast<size_t>(file[7] & 0x7f) << 14 |
               static_cast<size_t>(file[8] & 0x7f) << 7 | static_cast<size_t>(file[9] & 0x7f));
  }
  if (at + 4 > file.size() || file[at] != 0xff || (file[at + 1] & 0xe0) != 0xe0) return 0;
  const bool mpeg1 = (file[at + 1] & 0x18) == 0x18;
  const bool mono = (file[at + 3] & 0xc0) == 0xc0;
  static const int kRates[3] = {44100, 48000, 32000};  // MPEG-1's; halved for 2, quartered for 2.5
  const int rateIndex = (file[at + 2] >> 2) & 3;
  if (rateIndex == 3) return 0;
  const int version = (file[at + 1] >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
  *sampleRate = kRates[rateIndex] / (version == 3 ? 1 : version == 2 ? 2 : 4);
  // The Info (or Xing) tag follows the side information.
  const size_t sideInfo = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
  size_t tag = at + 4 + sideInfo;
  if (tag + 8 > file.size()) return 0;
  if (std::memcmp(&file[tag], "Info", 4) != 0 && std::memcmp(&file[tag], "Xing", 4) != 0) return 0;
  const unsigned flags = static_cast<unsigned>(file[tag + 7]);
  size_t lame = tag + 8;
  if (flags & 1) lame += 4;    // frame count
  if (flags & 2) lame += 4;    // byte count
  if (flags & 4) lame += 100;  // seek table
  if (flags & 8) lame += 4;    // quality
  // LAME's extension: 9 bytes of version, then revision, low-pass, replay gain
  // (8), encoding flags, bit rate: the delay is the next 12 bits.
  if (lame + 24 > file.size() || std::memcmp(&file[lame], "LAME", 4) != 0) return 0;
  const long encoderDelay = static_cast<long>(file[lame + 21]) << 4 | file[lame + 22] >> 4;
  return frameSamples(mpeg1) + encoderDelay + kDecoderDelay;
}

bool mp3DecoderPlaysLeadIn() {
  // SDL_mixer tries its MP3 decoders in this order, dr_mp3 first.
  for (int i = 0; i < Mix_GetNumMusicDecoders(); ++i) {
    const char* name = Mix_GetMusicDecoder(i);
    if (std::strcmp(name, "DRMP3") == 0) return true;
    if (std::strcmp(name, "MPG123") == 0) return false;
  }
  return false;
}

int playMusicFromStart(Mix_Music* music, const std::string& path, long* skipped) {
  return playMusicAt(music, path, 0.0, skipped);
}

int playMusicAt(Mix_Music* music, const std::string& path, double seconds, long* skipped) {
  if (skipped != nullptr) *skipped = 0;
  long leadIn = 0;
  int rate = 0;
  std::vector<unsigned char> bytes;
  if (mp3DecoderPlaysLeadIn() && lb_engine::readFileBytes(path.c_str(), &bytes))
    leadIn = mp3LeadInSamples(bytes, &rate);
  if (leadIn <= 0 && seconds <= 0.0) return Mix_PlayMusic(music, 1);
  if (skipped != nullptr) *skipped = leadIn;
  // Starting at a position seeks before the first sample is mixed (playing and
  // then seeking could let one buffer of the lead-in through). Half a sample
  // more, so that the decoder's truncation of position x rate lands on the
  // sample itself.
  const double leadInSeconds = leadIn > 0 ? (leadIn + 0.5) / rate : 0.0;
  return Mix_FadeInMusicPos(music, 1, 0, seconds + leadInSeconds);
}

}  // namespace lb_show
