#pragma once
// What differs between the operating systems the engine runs on, in one place.
// The build compiles one implementation: PlatformPosix.cpp (Linux and other
// POSIX systems) or PlatformWindows.cpp. Everything else in the engine, the
// scenes and the tools is written once, against this header, the C++ standard
// library (std::filesystem for folders) and SDL.
//
// Paths are UTF-8 std::strings with '/' as the separator on every system
// (Windows accepts it); folder names end in '/'. They reach the system through
// the helpers below: on Windows a narrow path given to fopen or to
// std::filesystem::path is read in the ANSI code page, which cannot name a
// folder such as C:\Users\Zoë\, so these convert to UTF-16 at the edge.

#include "NonCopyable.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace lb_engine {

// A std::filesystem::path for the UTF-8 path `utf8`, and back: the UTF-8 text of
// a path, with '/' separators.
std::filesystem::path fsPath(const std::string& utf8);
std::string pathText(const std::filesystem::path& path);

// std::fopen for a UTF-8 path.
std::FILE* openFile(const std::string& utf8, const char* mode);

// The folder holding the running program, ending in '/', or "" when unknown.
std::string executableFolder();

// Makes `folder` the working directory; false when it cannot be entered.
bool enterFolder(const std::string& folder);

// The absolute path of a regular, executable file `name` found on the program
// search path (PATH; on Windows ';'-separated, and "ffmpeg" also finds
// "ffmpeg.exe"), or "" when there is none. A name that holds a folder separator
// is checked as it is. Relative answers (a name like "bin/tool", an empty or
// relative PATH entry) are made absolute against the working directory at the
// time of the call, so the path stays right when the program later changes
// folder. Folders are never an answer.
std::string findProgram(const std::string& name);

// Forces a finished file's bytes (written by this process or another, such as
// ffmpeg) from the system's caches onto the disk. Done before a temporary is
// renamed over a good file, so that a power cut after the rename cannot leave
// an empty or partial file in its place. False with the system's reason.
bool flushFileToDisk(const std::string& path, std::string* error);

// Makes a rename inside `folder` survive a power cut: on Linux a folder's
// entries reach the disk only when the folder itself is flushed; NTFS logs the
// rename itself, so on Windows there is nothing to do.
void flushFolderToDisk(const std::string& folder);

// The bytes the C library's allocator has handed out and not had back, in every
// arena, or -1 where the system does not tell. Beside the resident memory it
// tells a leak from memory the allocator keeps for reuse.
long long heapBytesInUse();

// Watches folders (not their subfolders) for files written, created, removed or
// renamed in them, without blocking: the owner asks what changed once per
// frame. Folders, not files, are watched, because editors often save by
// writing a new file and renaming it over the old one, or by deleting the file
// and writing it again. inotify on Linux, ReadDirectoryChangesW on Windows.
class FolderWatch : NonCopyable {
 public:
  FolderWatch();
  ~FolderWatch();

  // Starts watching `folder`. False with a message naming the folder on failure.
  bool watch(const std::string& folder, std::string* error);

  // Every file something happened to in a watched folder since the last call,
  // as "folder/name" with the folder as given to watch(); each path once.
  std::vector<std::string> changes();

  // Whether `path` (one that changes() named) can be read whole now: it is a
  // regular file and no program still holds it open for writing (on Linux,
  // known from the events themselves: it was closed after its last write; on
  // Windows, the file opens with writers shut out). A file being written, or
  // deleted and not yet made again, is not.
  bool complete(const std::string& path);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// A whole regular file mapped read-only into memory. open() fails (and the
// caller reads the file the plain way) where the file is empty, not a regular
// file, or the system maps nothing.
class MappedFile : NonCopyable {
 public:
  MappedFile() = default;
  ~MappedFile();
  bool open(const char* path);
  const char* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  const char* data_ = nullptr;
  size_t size_ = 0;
  std::uintptr_t handle_ = 0;  // the mapping object, where the system has one
};

// A child process whose standard input is a pipe this process writes to, while
// its standard output and error are this process's own.
class ChildProcess : NonCopyable {
 public:
  ChildProcess() = default;
  // A child still running is stopped and waited for, so that no process outlives
  // its owner unseen.
  ~ChildProcess() {
    if (running_) {
      terminate();
      closeInput();
      wait(nullptr, nullptr);
    }
    closeInput();
  }

  // Starts the program at `args[0]` (a path, as findProgram gives) with
  // `args` as its argument list. False with a message when it cannot start.
  bool start(const std::vector<std::string>& args, std::string* error);
  bool running() const { return running_; }

  // Writes all `size` bytes to the child's standard input, waiting while the
  // pipe is full. False with a message when the child stopped reading. Safe to
  // call from one other thread while the owner waits for nothing else.
  bool write(const void* data, size_t size, std::string* error);

  // Closes the child's standard input (it sees the end of its input).
  void closeInput();

  // Waits for the child to end. True when it exited with status 0; otherwise
  // false, with how it ended ("exit status 1", "signal Killed") in *how.
  // *cpuSeconds gets the user + system time it used.
  bool wait(std::string* how, double* cpuSeconds);

  // Whether the child has ended, without waiting; wait() then collects it at once.
  bool exited() const;

  // Ends the child at once (after a failure elsewhere): a write blocked on
  // its input then fails. wait() still collects it.
  void terminate();

 private:
  bool running_ = false;
  std::intptr_t process_ = -1;  // a pid, or a process handle
  std::intptr_t input_ = -1;    // the pipe's writing end: a descriptor, or a handle
};

}  // namespace lb_engine
