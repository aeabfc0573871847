// The watch of saved files: the debounce on made-up event times, then the
// system's own notifications (inotify on Linux, ReadDirectoryChangesW under
// Wine) with files really saved the three ways editors save them, while the
// watcher is polled as the player polls it, once a frame. Each save must be
// handed on exactly once, after the save is over, with the whole file there.

#include "FileWatcher.h"
#include "SaveDebounce.h"
#include "res_TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using lb_dev::FileWatcher;
using lb_dev::SaveDebounce;

TEST(SaveDebounce, HandsOnABurstOnceWhenItHasBeenQuietAndTheFileIsWhole) {
  std::set<std::string> whole = {"a.frag", "b.png"};
  SaveDebounce debounce([&](const std::string& path) { return whole.count(path) > 0; }, 0.1, 2.0);
  // Three writes 40 ms apart: quiet only 100 ms after the last one (1.08 s).
  debounce.note("a.frag", 1.00);
  debounce.note("a.frag", 1.04);
  EXPECT_TRUE(debounce.settled(1.10).empty());  // 60 ms after the second write
  debounce.note("a.frag", 1.08);
  EXPECT_TRUE(debounce.settled(1.17).empty());
  EXPECT_EQ(debounce.settled(1.181), std::vector<std::string>{"a.frag"});
  EXPECT_TRUE(debounce.settled(5.0).empty()) << "handed on twice";
  EXPECT_FALSE(debounce.waiting());

  // Paths settle on their own clocks, in the order of their first event; a new
  // event after settling is a new save.
  debounce.note("b.png", 2.00);
  debounce.note("a.frag", 2.05);
  EXPECT_EQ(debounce.settled(2.12), std::vector<std::string>{"b.png"});
  EXPECT_EQ(debounce.settled(2.151), std::vector<std::string>{"a.frag"});
  debounce.note("b.png", 3.0);
  debounce.note("a.frag", 3.0);
  EXPECT_EQ(debounce.settled(3.101), (std::vector<std::string>{"b.png", "a.frag"}));
}

TEST(SaveDebounce, AFileStillBeingWrittenOrMissingWaitsUntilWholeOrTheGiveUpTime) {
  bool whole = false;
  SaveDebounce debounce([&](const std::string&) { return whole; }, 0.1, 2.0);
  // A writer pausing 500 ms in the middle of the file: quiet, but not whole.
  debounce.note("x.frag", 10.0);
  EXPECT_TRUE(debounce.settled(10.5).empty());
  EXPECT_TRUE(debounce.waiting());
  whole = true;  // closed: one more quiet interval, for a late notice of its last write
  EXPECT_TRUE(debounce.settled(10.52).empty());
  debounce.note("x.frag", 10.53);  // that notice
  EXPECT_TRUE(debounce.settled(10.62).empty());
  EXPECT_EQ(debounce.settled(10.631), std::vector<std::string>{"x.frag"});
  EXPECT_TRUE(debounce.settled(11.0).empty()) << "the late notice made a second save";

  // Deleted and never written again: handed on after two quiet seconds, so
  // that the reader can say what is wrong; not before.
  whole = false;
  debounce.note("gone.png", 20.0);
  EXPECT_TRUE(debounce.settled(21.99).empty());
  EXPECT_EQ(debounce.settled(22.0), std::vector<std::string>{"gone.png"});
}

// --- Real saves, watched by the system -------------------------------------------

double secondsNow() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Writes `parts` to `path` through one open file, each part reaching the
// system before the pause that follows it.
void writeInChunks(const std::string& path, const char* mode, const std::vector<std::string>& parts, int pauseMs) {
  std::FILE* file = std::fopen(path.c_str(), mode);
  ASSERT_NE(file, nullptr) << path;
  for (size_t i = 0; i < parts.size(); ++i) {
    std::fwrite(parts[i].data(), 1, parts[i].size(), file);
    std::fflush(file);
    if (i + 1 < parts.size()) pause(pauseMs);
  }
  std::fclose(file);
}

struct SaveStyle {
  const char* name;
  void (*save)(const std::string& path, const std::vector<std::string>& parts);
};

const SaveStyle kStyles[] = {
    // In place, one open, pausing longer than the quiet interval between
    // chunks (a slow writer): only the file's completeness holds it back.
    {"in place, slow chunks",
     [](const std::string& path, const std::vector<std::string>& parts) { writeInChunks(path, "wb", parts, 300); }},
    // In place, opened again for each chunk (truncated, then appended to):
    // every chunk closes a whole-looking file; only the quiet interval joins them.
    {"in place, reopened per chunk",
     [](const std::string& path, const std::vector<std::string>& parts) {
       for (size_t i = 0; i < parts.size(); ++i) {
         writeInChunks(path, i == 0 ? "wb" : "ab", {parts[i]}, 0);
         pause(30);
       }
     }},
    // A temporary written in chunks and renamed over the file.
    {"temporary renamed over",
     [](const std::string& path, const std::vector<std::string>& parts) {
       writeInChunks(path + ".tmp~", "wb", parts, 30);
       std::filesystem::rename(path + ".tmp~", path);
     }},
    // Deleted, missing for longer than the quiet interval, then written anew.
    {"deleted and written again",
     [](const std::string& path, const std::vector<std::string>& parts) {
       std::filesystem::remove(path);
       pause(300);
       writeInChunks(path, "wb", parts, 40);
     }},
};

TEST(FileWatcher, EachSaveStyleIsHandedOnOnceAfterTheSaveWithTheWholeFile) {
  lb_test::ResTempDir dir;
  const std::string path = dir.write("glow.frag", "#version 410 core\nvoid main() {}\n");
  FileWatcher watcher;
  std::string error;
  ASSERT_TRUE(watcher.watch(std::filesystem::path(path).parent_path().generic_string(), &error)) << error;

  int round = 0;
  for (const SaveStyle& style : kStyles) {
    SCOPED_TRACE(style.name);
    ++round;
    const std::vector<std::string> parts = {"#version 410 core\n// save " + std::to_string(round) + "\n",
                                            "out vec4 colour;\n",
                                            "void main() { colour = vec4(1.0, 0.0, 0.0, 1.0); }\n"};
    std::string whole;
    for (const std::string& part : parts) whole += part;

    // The editor saves on its own thread; this one polls every 5 ms, a frame's
    // worth of a fast player, and reads the file the moment it is handed on.
    std::atomic<double> saved{0.0};
    std::thread editor([&] {
      style.save(path, parts);
      saved = secondsNow();
    });
    std::vector<std::pair<double, std::string>> handedOn;  // time, content then
    const double started = secondsNow();
    while (secondsNow() - started < 10.0) {
      for (const std::string& changed : watcher.changes(secondsNow())) {
        if (std::filesystem::path(changed).filename() == "glow.frag")
          handedOn.emplace_back(secondsNow(), readWhole(path));
      }
      // Done 700 ms after the save: long enough for a second, wrong hand-on.
      if (saved > 0 && secondsNow() - saved > 0.7) break;
      pause(5);
    }
    editor.join();
    std::string when;  // each hand-on, in ms after the save ended
    for (const auto& h : handedOn) when += " " + std::to_string(static_cast<int>((h.first - saved) * 1e3));
    ASSERT_EQ(handedOn.size(), 1u) << "saves handed on, at (ms after the save):" << when;
    EXPECT_GE(handedOn[0].first, saved.load()) << "handed on before the save was over";
    EXPECT_EQ(handedOn[0].second, whole) << "the file was not whole when handed on";
    // The time from the end of the save to the hand-on, for the record.
    std::printf("[          ] %s: handed on %.0f ms after the save\n", style.name,
                (handedOn[0].first - saved) * 1e3);
  }
}

}  // namespace
