#include "OutputFile.h"

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
  const fs::path path(target);
  std::error_code ignored;
  targetExisted_ = fs::exists(path, ignored);
  // "NAME.EXT" -> ".NAME.partial-XXXXXXXX.EXT" in the same folder.
  const std::string stem = path.stem().string();
  const std::string extension = path.extension().string();
  do {
    temporary_ = (path.parent_path() / ("." + stem + ".partial-" + randomSuffix() + extension)).string();
  } while (fs::exists(temporary_, ignored));
}

OutputFile::~OutputFile() {
  if (!committed_) discard();
}

bool OutputFile::commit(std::string* error) {
  std::error_code failed;
  // std::filesystem::rename replaces an existing target on every platform:
  // rename(2) does so atomically on POSIX systems, and on Windows, where a
  // plain rename refuses an existing file, the C++ library calls MoveFileExW
  // with MOVEFILE_REPLACE_EXISTING.
  fs::rename(temporary_, target_, failed);
  if (failed) {
    *error = "cannot replace " + target_ + " with the finished file: " + failed.message() + "; " + unchangedNote();
    discard();
    return false;
  }
  committed_ = true;
  return true;
}

void OutputFile::discard() {
  std::error_code ignored;
  fs::remove(temporary_, ignored);
}

std::string OutputFile::unchangedNote() const {
  return target_ + (targetExisted_ ? " was left unchanged" : " was not written");
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
