#include "OutputFile.h"

#include "Platform.h"

#include <csignal>
#include <filesystem>
#include <random>
#include <system_error>

namespace lb_engine {

namespace {

namespace fs = std::filesystem;

volatile std::sig_atomic_t gStopSignal = 0;

void rememberStopSignal(int signal) { gStopSignal = signal; }

// Installs the flag-setting handler unless the signal was ignored at start.
void catchUnlessIgnored(int signal) {
  if (std::signal(signal, rememberStopSignal) == SIG_IGN) std::signal(signal, SIG_IGN);
}

std::string randomSuffix() {
  static std::random_device source;
  static const char digits[] = "0123456789abcdef";
  std::string suffix;
  for (int i = 0; i < 8; ++i) suffix += digits[source() % 16];
  return suffix;
}

}  // namespace

OutputFile::OutputFile(const std::string& target) : target_(target) {
  const fs::path path = fsPath(target);
  std::error_code ignored;
  targetExisted_ = fs::exists(path, ignored);
  // "NAME.EXT" -> ".NAME.partial-XXXXXXXX.EXT" in the same folder.
  const std::string stem = pathText(path.stem());
  const std::string extension = pathText(path.extension());
  const std::string folder = pathText(path.parent_path());
  do {
    temporary_ = (folder.empty() ? "" : folder + "/") + "." + stem + ".partial-" + randomSuffix() + extension;
  } while (fs::exists(fsPath(temporary_), ignored));
}

OutputFile::~OutputFile() {
  if (!committed_) discard();
}

bool OutputFile::commit(std::string* error) {
  // The bytes reach the disk before the name does; otherwise a power cut soon
  // after the rename can leave an empty file where a good one stood (file
  // systems may write the rename first).
  std::string why;
  if (!flushFileToDisk(temporary_, &why)) {
    *error = "cannot write " + target_ + " to the disk: " + why + "; " + unchangedNote();
    discard();
    return false;
  }
  std::error_code failed;
  // std::filesystem::rename replaces an existing target on every platform:
  // rename(2) does so atomically on POSIX systems, and on Windows, where a
  // plain rename refuses an existing file, the C++ library calls MoveFileExW
  // with MOVEFILE_REPLACE_EXISTING.
  fs::rename(fsPath(temporary_), fsPath(target_), failed);
  if (failed) {
    *error = "cannot replace " + target_ + " with the finished file: " + failed.message() + "; " + unchangedNote();
    discard();
    return false;
  }
  committed_ = true;
  flushFolderToDisk(pathText(fsPath(target_).parent_path()));
  return true;
}

void OutputFile::discard() {
  std::error_code ignored;
  fs::remove(fsPath(temporary_), ignored);
}

std::string OutputFile::unchangedNote() const {
  return target_ + (targetExisted_ ? " was left unchanged" : " was not written");
}

std::string outputPathFrom(const std::string& path, const std::string& cwd) {
  if (path.empty()) return path;
  const fs::path p = fsPath(path);
  if (p.has_root_directory() || p.has_root_name()) return path;
  return cwd + (!cwd.empty() && cwd.back() == '/' ? "" : "/") + path;
}

std::string workingFolder() {
  std::error_code error;
  const fs::path cwd = fs::current_path(error);
  return error ? "." : pathText(cwd);
}

void catchStopSignals() {
  catchUnlessIgnored(SIGINT);
  catchUnlessIgnored(SIGTERM);
  // A limit exceeded should fail the write, not kill the writer (POSIX only).
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

int stopSignal() { return gStopSignal; }

std::string describeStopSignal() {
  switch (gStopSignal) {
    case 0: return "not interrupted";
    case SIGINT: return "interrupted by SIGINT";
    case SIGTERM: return "interrupted by SIGTERM";
    default: return "interrupted by signal " + std::to_string(gStopSignal);
  }
}

}  // namespace lb_engine
