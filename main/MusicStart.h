#pragma once
// Starting the show's music so that its first sample plays at clock 0 whichever
// MP3 decoder SDL_mixer was built with.
//
// An MP3 file begins with samples that are not the music: the encoder's delay
// (LAME's, 576 samples) and the decoder's own (529), which LAME writes into the
// Info tag of the file's first frame, itself a silent frame. mpg123 (Debian's
// SDL_mixer) reads the tag and skips all of them; dr_mp3 (built into the
// Windows build's SDL_mixer) plays them, so there the music would lag the
// picture by some 50 ms. playMusicFromStart seeks past them where the decoder
// does not.

#include <SDL_mixer.h>

#include <cstddef>
#include <string>
#include <vector>

namespace lb_show {

// The samples (per channel) that a decoder which ignores the Info tag plays
// before the music's first sample: the Info frame, the encoder's delay and
// 529; *sampleRate gets the file's rate. 0 for a file without an Info tag
// holding LAME's delay.
long mp3LeadInSamples(const std::vector<unsigned char>& file, int* sampleRate);

// Whether the MP3 decoder SDL_mixer uses plays the lead-in (dr_mp3 does,
// mpg123 does not).
bool mp3DecoderPlaysLeadIn();

// Plays `music` (loaded from the MP3 file `path`) once from its first real
// sample; returns Mix_PlayMusic's result. The samples skipped, if any, go to
// *skipped.
int playMusicFromStart(Mix_Music* music, const std::string& path, long* skipped = nullptr);

// The same, from `seconds` of music on (a show entered part-way, as the web
// page's links do); 0 is playMusicFromStart.
int playMusicAt(Mix_Music* music, const std::string& path, double seconds, long* skipped = nullptr);

}  // namespace lb_show
