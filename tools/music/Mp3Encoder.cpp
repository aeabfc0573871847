#include "Mp3Encoder.h"

#include <lame/lame.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "Dsp.h"

namespace lb_synth {

namespace {

struct LameCloser {
  void operator()(lame_global_flags* g) const { lame_close(g); }
};

}  // namespace

bool encodeMp3(const StereoBuffer& audio, std::vector<uint8_t>& mp3, std::string* error,
               const Progress& progress) {
  std::unique_ptr<lame_global_flags, LameCloser> lame(lame_init());
  if (!lame) {
    if (error) *error = "LAME: lame_init failed";
    return false;
  }
  lame_global_flags* g = lame.get();
  lame_set_in_samplerate(g, kSampleRate);
  lame_set_out_samplerate(g, kSampleRate);
  lame_set_num_channels(g, 2);
  lame_set_mode(g, JOINT_STEREO);
  lame_set_VBR(g, vbr_default);
  lame_set_VBR_quality(g, 2.0f);
  lame_set_bWriteVbrTag(g, 1);
  lame_set_write_id3tag_automatic(g, 0);
  if (lame_init_params(g) < 0) {
    if (error) *error = "LAME: lame_init_params rejected the settings";
    return false;
  }

  mp3.clear();
  const size_t frames = audio.frames();
  const int chunk = 8192;
  // Worst case from the LAME documentation: 1.25 * samples + 7200 bytes.
  std::vector<uint8_t> buffer(static_cast<size_t>(1.25 * chunk) + 7200);
  for (size_t pos = 0; pos < frames; pos += chunk) {
    const int n = static_cast<int>(std::min<size_t>(chunk, frames - pos));
    const int written = lame_encode_buffer_ieee_float(g, audio.left.data() + pos, audio.right.data() + pos,
                                                      n, buffer.data(), static_cast<int>(buffer.size()));
    if (written < 0) {
      if (error) *error = "LAME: encoding failed with code " + std::to_string(written);
      return false;
    }
    mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + written);
    if (progress && (pos / chunk) % 64 == 0) progress(static_cast<double>(pos) / frames);
  }
  const int tail = lame_encode_flush(g, buffer.data(), static_cast<int>(buffer.size()));
  if (tail < 0) {
    if (error) *error = "LAME: flush failed with code " + std::to_string(tail);
    return false;
  }
  mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + tail);

  // LAME reserved the first frame of the stream for the info tag; now that
  // the frame count, delay and padding are known, fill it in.
  uint8_t tag[2880];
  const size_t tagSize = lame_get_lametag_frame(g, tag, sizeof tag);
  if (tagSize == 0 || tagSize > sizeof tag || tagSize > mp3.size()) {
    if (error) *error = "LAME: no info (Xing/LAME) frame was produced";
    return false;
  }
  std::memcpy(mp3.data(), tag, tagSize);
  if (progress) progress(1.0);
  return true;
}

bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
  const std::string tmp = path + ".part";
  FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) {
    if (error) *error = tmp + ": cannot open for writing: " + std::strerror(errno);
    return false;
  }
  const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), f);
  const bool ok = written == bytes.size() && std::fclose(f) == 0;
  if (!ok) {
    if (error) *error = tmp + ": write failed: " + std::strerror(errno);
    std::remove(tmp.c_str());
    return false;
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    if (error) *error = path + ": cannot replace with " + tmp + ": " + std::strerror(errno);
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

std::vector<uint8_t> wavBytes(const StereoBuffer& audio) {
  std::vector<uint8_t> out;
  auto u32 = [&out](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&out](uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto tag = [&out](const char* s) { out.insert(out.end(), s, s + 4); };
  const uint32_t dataBytes = static_cast<uint32_t>(audio.frames() * 2 * sizeof(float));
  tag("RIFF");
  u32(36 + dataBytes);
  tag("WAVE");
  tag("fmt ");
  u32(16);
  u16(3);  // IEEE float
  u16(2);
  u32(kSampleRate);
  u32(kSampleRate * 2 * sizeof(float));
  u16(2 * sizeof(float));
  u16(32);
  tag("data");
  u32(dataBytes);
  out.reserve(out.size() + dataBytes);
  for (size_t i = 0; i < audio.frames(); ++i) {
    for (float s : {audio.left[i], audio.right[i]}) {
      uint32_t bits;
      std::memcpy(&bits, &s, sizeof bits);
      u32(bits);
    }
  }
  return out;
}

}  // namespace lb_synth
