// The platform layer on Linux and other POSIX systems (see Platform.h).
#include "FileBytes.h"
#include "Platform.h"

#include <fcntl.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/inotify.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

extern char** environ;

namespace lb_engine {

std::filesystem::path fsPath(const std::string& utf8) { return std::filesystem::path(utf8); }

std::string pathText(const std::filesystem::path& path) { return path.generic_string(); }

std::FILE* openFile(const std::string& utf8, const char* mode) { return std::fopen(utf8.c_str(), mode); }

std::string executableFolder() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || !exe.has_parent_path()) return "";
  std::string folder = exe.parent_path().string();
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

bool enterFolder(const std::string& folder) {
  std::error_code error;
  std::filesystem::current_path(folder, error);
  return !error;
}

namespace {

bool isExecutableFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// `path` from the root: a relative one is taken from the working directory now,
// so that the answer holds after the program changes folder.
std::string fromRoot(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  std::error_code error;
  const std::filesystem::path cwd = std::filesystem::current_path(error);
  if (error) return "";
  return (cwd / path).lexically_normal().string();
}

}  // namespace

std::string findProgram(const std::string& name) {
  if (name.empty()) return "";
  if (name.find('/') != std::string::npos) {
    const std::string path = fromRoot(name);
    return !path.empty() && isExecutableFile(path) ? path : "";
  }
  const char* path = std::getenv("PATH");
  if (path == nullptr) return "";
  const std::string dirs = path;
  size_t begin = 0;
  while (begin <= dirs.size()) {
    size_t end = dirs.find(':', begin);
    if (end == std::string::npos) end = dirs.size();
    // An empty PATH entry means the working directory, as the shell has it.
    const std::string dir = fromRoot(dirs.substr(begin, end - begin));
    if (!dir.empty()) {
      const std::string candidate = dir + (dir.back() == '/' ? "" : "/") + name;
      if (isExecutableFile(candidate)) return candidate;
    }
    begin = end + 1;
  }
  return "";
}

bool flushFileToDisk(const std::string& path, std::string* error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 || fsync(fd) != 0) {
    *error = std::strerror(errno);
    if (fd >= 0) close(fd);
    return false;
  }
  close(fd);
  return true;
}

void flushFolderToDisk(const std::string& folder) {
  // Best effort: the rename has happened; a folder that cannot be flushed
  // (some network file systems refuse) leaves it to the system's own timing.
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

void adviseHugePages(void* data, size_t bytes) {
#ifdef MADV_HUGEPAGE
  constexpr uintptr_t kHugePage = uintptr_t{1} << 21;
  constexpr size_t kWorthIt = size_t{8} << 20;
  if (data == nullptr || bytes < kWorthIt) return;
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHugePage - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

// --- MappedFile -------------------------------------------------------------------

MappedFile::~MappedFile() {
  if (data_ != nullptr) munmap(const_cast<char*>(data_), size_);
}

bool MappedFile::open(const char* path) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    const size_t size = static_cast<size_t>(st.st_size);
    void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (mapped != MAP_FAILED) {
      madvise(mapped, size, MADV_SEQUENTIAL);
      data_ = static_cast<const char*>(mapped);
      size_ = size;
    }
  }
  close(fd);
  return data_ != nullptr;
}

// --- ChildProcess -----------------------------------------------------------------

namespace {

std::string describeStatus(int status) {
  if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return std::string("signal ") + strsignal(WTERMSIG(status));
  return "status " + std::to_string(status);
}

}  // namespace

bool ChildProcess::start(const std::vector<std::string>& args, std::string* error) {
  // A child that stops reading closes the pipe; a write must then fail with
  // EPIPE rather than end this process with SIGPIPE, so that the child's status
  // can be reported.
  signal(SIGPIPE, SIG_IGN);
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    *error = std::string("cannot make a pipe to ") + args[0] + ": " + std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);  // dup2 clears close-on-exec
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, args[0].c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[0]);
  if (spawned != 0) {
    close(fds[1]);
    *error = "cannot run " + args[0] + ": " + std::strerror(spawned);
    return false;
  }
  process_ = pid;
  input_ = fds[1];
  running_ = true;
  return true;
}

bool ChildProcess::write(const void* data, size_t size, std::string* error) {
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = ::write(static_cast<int>(input_), at, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      *error = std::strerror(errno);
      return false;
    }
    at += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

void ChildProcess::closeInput() {
  if (input_ >= 0) close(static_cast<int>(input_));
  input_ = -1;
}

bool ChildProcess::wait(std::string* how, double* cpuSeconds) {
  if (!running_) return false;
  int status = 0;
  pid_t waited;
  rusage usage{};
  do {
    waited = wait4(static_cast<pid_t>(process_), &status, 0, &usage);
  } while (waited < 0 && errno == EINTR);
  running_ = false;
  process_ = -1;
  if (cpuSeconds != nullptr)
    *cpuSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + usage.ru_stime.tv_sec +
                  usage.ru_stime.tv_usec * 1e-6;
  if (waited < 0) {
    if (how != nullptr) *how = std::string("cannot wait for it: ") + std::strerror(errno);
    return false;
  }
  if (how != nullptr) *how = describeStatus(status);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool ChildProcess::exited() const {
  if (!running_) return true;
  // WNOWAIT leaves the child to wait(), which reads its status and CPU time.
  siginfo_t info{};
  return waitid(P_PID, static_cast<id_t>(process_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid != 0;
}

void ChildProcess::terminate() {
  if (running_) ::kill(static_cast<pid_t>(process_), SIGKILL);
}

// --- Heap ------------------------------------------------------------------------

long long heapBytesInUse() {
#if defined(__GLIBC__)
  const struct mallinfo2 heap = mallinfo2();
  return static_cast<long long>(heap.uordblks + heap.hblkhd);
#else
  return -1;
#endif
}

// --- FolderWatch (inotify) -----------------------------------------------------------

struct FolderWatch::State {
  int fd = -1;
  std::vector<std::pair<int, std::string>> folders;  // watch descriptor, folder
  // Files written to (or created) and not closed since: still being written.
  std::vector<std::string> open;
};

FolderWatch::FolderWatch() : state_(new State) {}

FolderWatch::~FolderWatch() {
  if (state_->fd >= 0) close(state_->fd);
}

#if defined(__linux__)

bool FolderWatch::watch(const std::string& folder, std::string* error) {
  if (state_->fd < 0) {
    state_->fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (state_->fd < 0) {
      *error = std::string("cannot start watching files: ") + std::strerror(errno);
      return false;
    }
  }
  const uint32_t events = IN_MODIFY | IN_CREATE | IN_CLOSE_WRITE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
  const int wd = inotify_add_watch(state_->fd, folder.c_str(), events);
  if (wd < 0) {
    *error = folder + ": cannot watch: " + std::strerror(errno);
    return false;
  }
  state_->folders.emplace_back(wd, folder);
  return true;
}

std::vector<std::string> FolderWatch::changes() {
  std::vector<std::string> paths;
  if (state_->fd < 0) return paths;
  std::vector<std::string>& open = state_->open;
  alignas(inotify_event) char buffer[16384];
  for (;;) {
    const ssize_t got = read(state_->fd, buffer, sizeof buffer);
    if (got <= 0) break;  // EAGAIN: nothing more queued
    for (ssize_t at = 0; at < got;) {
      const inotify_event* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->len == 0 || (event->mask & IN_ISDIR) != 0) continue;
      for (const auto& folder : state_->folders) {
        if (folder.first != event->wd) continue;
        const std::string path = folder.second + "/" + event->name;
        if (std::find(paths.begin(), paths.end(), path) == paths.end()) paths.push_back(path);
        const auto known = std::find(open.begin(), open.end(), path);
        const bool writing = (event->mask & (IN_MODIFY | IN_CREATE)) != 0;
        if (writing && known == open.end()) open.push_back(path);
        if (!writing && known != open.end()) open.erase(known);  // closed, moved or gone
      }
    }
  }
  return paths;
}

#else

bool FolderWatch::watch(const std::string& folder, std::string* error) {
  *error = folder + ": cannot watch: this system has no file notifications";
  return false;
}

std::vector<std::string> FolderWatch::changes() { return {}; }

#endif

bool FolderWatch::complete(const std::string& path) {
  struct stat st;
  const std::vector<std::string>& open = state_->open;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         std::find(open.begin(), open.end(), path) == open.end();
}

}  // namespace lb_engine
