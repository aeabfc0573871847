// The platform layer on Windows (see Platform.h). Text crosses the Win32 API as
// UTF-16 and is UTF-8 everywhere else.
#include "FileBytes.h"
#include "Platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace lb_engine {

namespace {

std::wstring widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

std::string narrow(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], n, nullptr, nullptr);
  return text;
}

std::string systemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text = buffer != nullptr ? narrow(buffer) : "error " + std::to_string(code);
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.')) text.pop_back();
  return text;
}

// `path` from its drive's root: a relative one is taken from the working
// directory now, so that the answer holds after the program changes folder.
std::wstring fullPath(const std::wstring& path) {
  const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::wstring full(n, L'\0');
  const DWORD written = GetFullPathNameW(path.c_str(), n, &full[0], nullptr);
  if (written == 0 || written >= n) return path;
  full.resize(written);
  return full;
}

bool isExecutableFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// One argument quoted for CreateProcess's command line, by the rules the C
// runtime's parser (CommandLineToArgvW) undoes: backslashes are literal except
// before a quote, where they are doubled along with the quote's own escape.
std::wstring quoteArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') quoted.append(backslashes * 2 + 1, L'\\');
    else quoted.append(backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  quoted += L'"';
  return quoted;
}

}  // namespace

std::filesystem::path fsPath(const std::string& utf8) { return std::filesystem::path(widen(utf8)); }

std::string pathText(const std::filesystem::path& path) { return narrow(path.generic_wstring()); }

std::FILE* openFile(const std::string& utf8, const char* mode) {
  return _wfopen(widen(utf8).c_str(), widen(mode).c_str());
}

std::string executableFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (n == 0) return "";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  std::string folder = narrow(std::filesystem::path(path).parent_path().generic_wstring());
  if (folder.empty()) return "";
  if (folder.back() != '/') folder += '/';
  return folder;
}

bool enterFolder(const std::string& folder) {
  std::error_code error;
  std::filesystem::current_path(std::filesystem::path(widen(folder)), error);
  return !error;
}

std::string findProgram(const std::string& name) {
  if (name.empty()) return "";
  // With no suffix, the way Windows' own search goes: the name as given first
  // only when it has a suffix, else with ".exe".
  const bool hasSuffix = std::filesystem::path(name).has_extension();
  const std::wstring wideName = widen(name);
  auto check = [&](const std::wstring& base) -> std::string {
    if (hasSuffix && isExecutableFile(base)) return pathText(fullPath(base));
    if (isExecutableFile(base + L".exe")) return pathText(fullPath(base + L".exe"));
    return "";
  };
  if (name.find_first_of("/\\:") != std::string::npos) return check(wideName);
  const wchar_t* path = _wgetenv(L"PATH");
  if (path == nullptr) return "";
  const std::wstring dirs = path;
  size_t begin = 0;
  while (begin <= dirs.size()) {
    size_t end = dirs.find(L';', begin);
    if (end == std::wstring::npos) end = dirs.size();
    std::wstring dir = dirs.substr(begin, end - begin);
    // Entries may be quoted; an empty one is skipped, as Windows does.
    if (dir.size() >= 2 && dir.front() == L'"' && dir.back() == L'"') dir = dir.substr(1, dir.size() - 2);
    if (!dir.empty()) {
      if (dir.back() != L'\\' && dir.back() != L'/') dir += L'\\';
      const std::string found = check(dir + wideName);
      if (!found.empty()) return found;
    }
    begin = end + 1;
  }
  return "";
}

bool flushFileToDisk(const std::string& path, std::string* error) {
  // FlushFileBuffers needs a handle open for writing.
  const HANDLE file = CreateFileW(widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE || !FlushFileBuffers(file)) {
    *error = systemMessage(GetLastError());
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return false;
  }
  CloseHandle(file);
  return true;
}

void flushFolderToDisk(const std::string& folder) {
  (void)folder;  // NTFS journals the rename itself
}

void adviseHugePages(void* data, size_t bytes) {
  // Windows gives large pages only to privileged processes that ask for them
  // when allocating; there is no hint for memory already allocated.
  (void)data;
  (void)bytes;
}

// --- MappedFile -------------------------------------------------------------------

MappedFile::~MappedFile() {
  if (data_ != nullptr) UnmapViewOfFile(data_);
  if (handle_ != 0) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

bool MappedFile::open(const char* path) {
  const HANDLE file = CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) && size.QuadPart > 0) {
    const HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping != nullptr) {
      const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
      if (view != nullptr) {
        data_ = static_cast<const char*>(view);
        size_ = static_cast<size_t>(size.QuadPart);
        handle_ = reinterpret_cast<std::uintptr_t>(mapping);
      } else {
        CloseHandle(mapping);
      }
    }
  }
  CloseHandle(file);
  return data_ != nullptr;
}

// --- ChildProcess -----------------------------------------------------------------

bool ChildProcess::start(const std::vector<std::string>& args, std::string* error) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  // A 1 MiB pipe buffer: the frames are large, and fewer round trips help.
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 1 << 20)) {
    const DWORD code = GetLastError();
    *error = "cannot make a pipe to " + args[0] + ": " + systemMessage(code);
    return false;
  }
  // Only the reading end is the child's.
  SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);

  // The child inherits exactly its three standard handles: the pipe and
  // inheritable copies of this process's output and error. Without the list it
  // would get every inheritable handle this process holds (files being
  // written, other pipes), keeping them open for as long as it runs.
  const HANDLE self = GetCurrentProcess();
  auto inheritableCopy = [self](DWORD which) -> HANDLE {
    const HANDLE original = GetStdHandle(which);
    HANDLE copy = nullptr;
    if (original == nullptr || original == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(self, original, self, &copy, 0, TRUE, DUPLICATE_SAME_ACCESS))
      return nullptr;
    return copy;
  };
  const HANDLE output = inheritableCopy(STD_OUTPUT_HANDLE);
  const HANDLE errors = inheritableCopy(STD_ERROR_HANDLE);
  std::vector<HANDLE> inherited{readEnd};
  if (output != nullptr) inherited.push_back(output);
  if (errors != nullptr) inherited.push_back(errors);

  SIZE_T listSize = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &listSize);
  std::vector<unsigned char> listBytes(listSize);
  auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(listBytes.data());
  DWORD code = 0;
  bool listed = InitializeProcThreadAttributeList(list, 1, 0, &listSize);
  if (!listed) code = GetLastError();
  if (listed && !UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited.data(),
                                           inherited.size() * sizeof(HANDLE), nullptr, nullptr)) {
    code = GetLastError();
    DeleteProcThreadAttributeList(list);
    listed = false;
  }

  BOOL started = FALSE;
  PROCESS_INFORMATION info{};
  if (listed) {
    std::wstring commandLine;
    for (const std::string& arg : args) {
      if (!commandLine.empty()) commandLine += L' ';
      commandLine += quoteArgument(widen(arg));
    }
    const std::wstring program = widen(args[0]);
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = readEnd;
    startup.StartupInfo.hStdOutput = output;
    startup.StartupInfo.hStdError = errors;
    startup.lpAttributeList = list;
    started = CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, EXTENDED_STARTUPINFO_PRESENT,
                             nullptr, nullptr, &startup.StartupInfo, &info);
    // Read at once: anything called after CreateProcessW may overwrite it.
    if (!started) code = GetLastError();
    DeleteProcThreadAttributeList(list);
  }
  CloseHandle(readEnd);
  if (output != nullptr) CloseHandle(output);
  if (errors != nullptr) CloseHandle(errors);
  if (!started) {
    CloseHandle(writeEnd);
    *error = "cannot run " + args[0] + ": " + systemMessage(code);
    return false;
  }
  CloseHandle(info.hThread);
  process_ = reinterpret_cast<std::intptr_t>(info.hProcess);
  input_ = reinterpret_cast<std::intptr_t>(writeEnd);
  running_ = true;
  return true;
}

bool ChildProcess::write(const void* data, size_t size, std::string* error) {
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(input_), at, chunk, &written, nullptr)) {
      *error = systemMessage(GetLastError());
      return false;
    }
    at += written;
    size -= written;
  }
  return true;
}

void ChildProcess::closeInput() {
  if (input_ != -1) CloseHandle(reinterpret_cast<HANDLE>(input_));
  input_ = -1;
}

bool ChildProcess::wait(std::string* how, double* cpuSeconds) {
  if (!running_) return false;
  const HANDLE process = reinterpret_cast<HANDLE>(process_);
  const bool waited = WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0;
  DWORD code = 1;
  GetExitCodeProcess(process, &code);
  if (cpuSeconds != nullptr) {
    FILETIME created, exited, kernel, user;
    *cpuSeconds = 0.0;
    if (GetProcessTimes(process, &created, &exited, &kernel, &user)) {
      auto seconds = [](const FILETIME& t) {  // in units of 100 ns
        return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) * 1e-7;
      };
      *cpuSeconds = seconds(kernel) + seconds(user);
    }
  }
  CloseHandle(process);
  running_ = false;
  process_ = -1;
  if (!waited) {
    if (how != nullptr) *how = "cannot wait for it: " + systemMessage(GetLastError());
    return false;
  }
  if (how != nullptr) *how = "exit status " + std::to_string(code);
  return code == 0;
}

bool ChildProcess::exited() const {
  return !running_ || WaitForSingleObject(reinterpret_cast<HANDLE>(process_), 0) == WAIT_OBJECT_0;
}

void ChildProcess::terminate() {
  if (running_) TerminateProcess(reinterpret_cast<HANDLE>(process_), 1);
}

// --- Heap ------------------------------------------------------------------------

// The C runtime's heap gives no cheap total (walking it takes a lock for as long
// as the walk); the figure is for the Linux soak checks.
long long heapBytesInUse() { return -1; }

// --- FolderWatch (ReadDirectoryChangesW) --------------------------------------------

namespace {

// One watched folder: a read of its changes is always outstanding (overlapped),
// and changes() collects the finished ones without waiting.
struct WatchedFolder {
  std::string name;
  HANDLE folder = INVALID_HANDLE_VALUE;
  OVERLAPPED overlapped{};
  std::vector<DWORD> buffer = std::vector<DWORD>(16384);  // 64 KiB, DWORD-aligned as the call needs

  ~WatchedFolder() {
    if (folder != INVALID_HANDLE_VALUE) {
      CancelIoEx(folder, &overlapped);
      DWORD ignored = 0;
      GetOverlappedResult(folder, &overlapped, &ignored, TRUE);  // the buffer stays ours until it ends
      CloseHandle(folder);
    }
    if (overlapped.hEvent != nullptr) CloseHandle(overlapped.hEvent);
  }

  bool read() {
    ResetEvent(overlapped.hEvent);
    const DWORD filter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;
    return ReadDirectoryChangesW(folder, buffer.data(), static_cast<DWORD>(buffer.size() * sizeof(DWORD)), FALSE,
                                 filter, nullptr, &overlapped, nullptr) != 0;
  }
};

}  // namespace

struct FolderWatch::State {
  std::vector<std::unique_ptr<WatchedFolder>> folders;
};

FolderWatch::FolderWatch() : state_(new State) {}

FolderWatch::~FolderWatch() = default;

bool FolderWatch::watch(const std::string& folder, std::string* error) {
  std::unique_ptr<WatchedFolder> watched(new WatchedFolder);
  watched->name = folder;
  watched->folder = CreateFileW(widen(folder).c_str(), FILE_LIST_DIRECTORY,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
  if (watched->folder == INVALID_HANDLE_VALUE) {
    *error = folder + ": cannot watch: " + systemMessage(GetLastError());
    return false;
  }
  watched->overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (watched->overlapped.hEvent == nullptr || !watched->read()) {
    *error = folder + ": cannot watch: " + systemMessage(GetLastError());
    return false;
  }
  state_->folders.push_back(std::move(watched));
  return true;
}

std::vector<std::string> FolderWatch::changes() {
  std::vector<std::string> paths;
  auto add = [&paths](const std::string& path) {
    if (std::find(paths.begin(), paths.end(), path) == paths.end()) paths.push_back(path);
  };
  for (const std::unique_ptr<WatchedFolder>& watched : state_->folders) {
    DWORD got = 0;
    while (GetOverlappedResult(watched->folder, &watched->overlapped, &got, FALSE)) {
      if (got == 0) {
        // More changes than the buffer holds: every file of the folder may have
        // changed (the owner compares contents, so naming all is safe).
        std::error_code failed;
        for (const auto& entry : std::filesystem::directory_iterator(widen(watched->name), failed))
          if (entry.is_regular_file(failed)) add(watched->name + "/" + narrow(entry.path().filename().wstring()));
      }
      const unsigned char* bytes = reinterpret_cast<const unsigned char*>(watched->buffer.data());
      for (DWORD at = 0; got > 0 && at < got;) {
        const FILE_NOTIFY_INFORMATION* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(bytes + at);
        add(watched->name + "/" + narrow(std::wstring(info->FileName, info->FileNameLength / sizeof(WCHAR))));
        if (info->NextEntryOffset == 0) break;
        at += info->NextEntryOffset;
      }
      if (!watched->read()) break;  // the folder went away: no more changes from it
    }
  }
  return paths;
}

bool FolderWatch::complete(const std::string& path) {
  // Opening for reading while sharing reading only fails with a sharing
  // violation as long as any program holds the file open with write access.
  // (For the few microseconds the handle is open, a writer opening the file
  // would be refused in turn; this runs once per save, after 100 ms of quiet.)
  const HANDLE file = CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  // (A folder never opens here: that needs FILE_FLAG_BACKUP_SEMANTICS.)
  const bool regular = GetFileType(file) == FILE_TYPE_DISK;
  CloseHandle(file);
  return regular;
}

}  // namespace lb_engine
