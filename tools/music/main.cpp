// Renders the show's soundtrack and writes it as MP3 (and optionally as a
// 32-bit float WAV of the exact samples before encoding).

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

#include "CommandLine.h"
#include "Dsp.h"
#include "Mp3Encoder.h"
#include "Score.h"
#include "Synth.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// OUTPUT.mp3 [--wav OUTPUT.wav]; false after printing why (or the help) when
// the program should stop with *status.
bool parseArguments(int argc, char** argv, std::string* mp3Path, std::string* wavPath, int* status) {
  CLI::App app("Renders the show's soundtrack and writes it as MP3.", "lb_music_gen");
  bool help = false;
  lb_cli::configure(&app, "usage: lb_music_gen OUTPUT.mp3 [--wav OUTPUT.wav]\n", "", &help);
  app.add_option("output", *mp3Path, "the MP3 file to write")->type_name("OUTPUT.mp3");
  app.add_option("--wav", *wavPath, "also the exact samples before encoding, as 32-bit float WAV")
      ->type_name("OUTPUT.wav");
  std::string error;
  if (!lb_cli::parse(&app, argc, argv, &error)) {
    *status = lb_cli::refuse(app, error);
  } else if (help) {
    std::printf("%s", app.help().c_str());
    *status = 0;
  } else if (mp3Path->empty()) {
    *status = lb_cli::refuse(app, "OUTPUT.mp3 is required");
  } else {
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::string mp3Path, wavPath;
  int status = 0;
  if (!parseArguments(argc, argv, &mp3Path, &wavPath, &status)) return status;

  const auto start = std::chrono::steady_clock::now();
  std::printf("music: rendering %.1f s at %d Hz\n", lb_synth::kTrackSeconds, lb_synth::kSampleRate);
  std::fflush(stdout);
  const lb_synth::StereoBuffer audio = lb_synth::renderTrack();
  double peak = 0.0;
  for (size_t i = 0; i < audio.frames(); ++i) {
    peak = std::fmax(peak, std::fabs(audio.left[i]));
    peak = std::fmax(peak, std::fabs(audio.right[i]));
  }
  std::printf("music: rendered in %.2f s, sample peak %.2f dBFS\n", secondsSince(start),
              20.0 * std::log10(std::fmax(peak, 1e-12)));
  std::fflush(stdout);

  std::string error;
  if (!wavPath.empty()) {
    if (!lb_synth::writeFileAtomically(wavPath, lb_synth::wavBytes(audio), &error)) {
      std::fprintf(stderr, "lb_music_gen: %s\n", error.c_str());
      return 1;
    }
    std::printf("music: wrote %s\n", wavPath.c_str());
  }

  std::vector<uint8_t> mp3;
  int lastTenth = -1;
  const bool ok = lb_synth::encodeMp3(audio, mp3, &error, [&lastTenth](double done) {
    const int tenth = static_cast<int>(done * 10.0);
    if (tenth != lastTenth) {
      lastTenth = tenth;
      std::printf("music: encoding %3d%%\n", tenth * 10);
      std::fflush(stdout);
    }
  });
  if (!ok) {
    std::fprintf(stderr, "lb_music_gen: %s: %s\n", mp3Path.c_str(), error.c_str());
    return 1;
  }
  if (!lb_synth::writeFileAtomically(mp3Path, mp3, &error)) {
    std::fprintf(stderr, "lb_music_gen: %s\n", error.c_str());
    return 1;
  }
  std::printf("music: wrote %s (%zu bytes, %.0f kbit/s) in %.2f s\n", mp3Path.c_str(), mp3.size(),
              mp3.size() * 8.0 / 1000.0 / lb_synth::kTrackSeconds, secondsSince(start));
  return 0;
}
