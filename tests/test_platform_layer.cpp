// The platform layer (engine/Platform.h) on the system the tests run on, Linux
// or Windows (under Wine): the program's folder, entering folders, the program
// search with the system's separators and suffixes, mapped files, and a child
// process fed through a pipe, whose status comes back.

#include "Platform.h"
#include "res_TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace {

#ifdef _WIN32
const char kPathSeparator = ';';
const std::string kExeSuffix = ".exe";
const bool kEmptyPathEntryIsTheWorkingFolder = false;  // Windows skips it
#else
const char kPathSeparator = ':';
const std::string kExeSuffix;
const bool kEmptyPathEntryIsTheWorkingFolder = true;  // as the shell has it
#endif

// Sets an environment variable for one test and puts it back after.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    old_ = old != nullptr ? old : "";
    set(value);
  }
  ~ScopedVariable() { set(old_); }

 private:
  void set(const std::string& value) {
#ifdef _WIN32
    _putenv_s(name_, value.c_str());
#else
    setenv(name_, value.c_str(), 1);
#endif
  }
  const char* name_;
  std::string old_;
};

// The test program's own file name (the build defines it), for starting it
// again as a child.
const char* const testProgram = LB_TEST_PROGRAM;

std::string withSlashes(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

TEST(PlatformLayer, ExecutableFolderAndEnteringFolders) {
  const std::string folder = lb_engine::executableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(folder)));

  const std::filesystem::path before = std::filesystem::current_path();
  lb_test::ResTempDir dir;
  dir.write("marker.txt", "here");
  ASSERT_TRUE(lb_engine::enterFolder(dir.path("")));
  EXPECT_TRUE(std::ifstream("marker.txt").is_open());
  EXPECT_FALSE(lb_engine::enterFolder(dir.path("absent/")));
  std::filesystem::current_path(before);
}

TEST(PlatformLayer, FindsProgramsOnThePath) {
  lb_test::ResTempDir first;
  lb_test::ResTempDir second;
  const std::string tool = second.write("lb-fake-tool" + kExeSuffix, "#!/bin/sh\nexit 0\n");
  std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
  // Found in the second folder, with the suffix the system adds.
  auto folder = [](const lb_test::ResTempDir& dir) {
    std::string path = dir.path("");
    path.pop_back();  // the trailing '/'
    return path;
  };
  ScopedVariable path("PATH", folder(first) + kPathSeparator + folder(second));
  EXPECT_EQ(withSlashes(lb_engine::findProgram("lb-fake-tool")), withSlashes(tool));
  EXPECT_EQ(lb_engine::findProgram("lb-absent-tool"), "");
  EXPECT_EQ(lb_engine::findProgram(""), "");
  // A path is checked as it is.
  EXPECT_EQ(lb_engine::findProgram(tool), tool);
  EXPECT_EQ(lb_engine::findProgram(first.path("lb-fake-tool" + kExeSuffix)), "");
}

// The answer is started later, possibly from another working folder (the
// renderer enters the data set's): it must not depend on the folder it was
// found from, and a folder that happens to carry the name is no program.
TEST(PlatformLayer, ProgramSearchAnswersAbsolutePathsToFilesOnly) {
  lb_test::ResTempDir dir;
  const std::string tool = dir.write("lb-fake-tool" + kExeSuffix, "#!/bin/sh\nexit 0\n");
  std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
  std::filesystem::create_directory(dir.path("lb-fake-folder" + kExeSuffix));
  const std::filesystem::path before = std::filesystem::current_path();
  ASSERT_TRUE(lb_engine::enterFolder(dir.path("")));
  auto isAbsolute = [](const std::string& path) { return std::filesystem::u8path(path).is_absolute(); };
  {
    ScopedVariable path("PATH", std::string("."));
    const std::string found = lb_engine::findProgram("lb-fake-tool");
    EXPECT_TRUE(isAbsolute(found)) << found;
    EXPECT_EQ(withSlashes(found), withSlashes(tool));
    EXPECT_EQ(lb_engine::findProgram("lb-fake-folder"), "");
  }
  if (kEmptyPathEntryIsTheWorkingFolder) {
    ScopedVariable path("PATH", std::string("/lb-absent-folder") + kPathSeparator);
    const std::string found = lb_engine::findProgram("lb-fake-tool");
    EXPECT_TRUE(isAbsolute(found)) << found;
    EXPECT_EQ(withSlashes(found), withSlashes(tool));
  }
  const std::string relative = lb_engine::findProgram("./lb-fake-tool" + kExeSuffix);
  EXPECT_TRUE(isAbsolute(relative)) << relative;
  EXPECT_EQ(withSlashes(relative), withSlashes(tool));
  EXPECT_EQ(lb_engine::findProgram(dir.path("lb-fake-folder" + kExeSuffix)), "");
  std::filesystem::current_path(before);
}

TEST(PlatformLayer, MapsRegularFilesOnly) {
  lb_test::ResTempDir dir;
  const std::string text = "v 1 2 3\nf 1 1 1\n";
  const std::string file = dir.write("mesh.obj", text);
  {
    lb_engine::MappedFile mapped;
    ASSERT_TRUE(mapped.open(file.c_str()));
    EXPECT_EQ(std::string(mapped.data(), mapped.size()), text);
  }
  lb_engine::MappedFile empty;
  EXPECT_FALSE(empty.open(dir.write("empty.obj", "").c_str()));
  lb_engine::MappedFile missing;
  EXPECT_FALSE(missing.open(dir.path("missing.obj").c_str()));
}

// The child: this test program again, running only the case below, which
// counts the bytes on its standard input and exits with the count modulo 256.
TEST(PlatformLayerChild, CountsItsInput) {
  // ScopedVariable leaves an empty value behind on POSIX systems: not a child.
  const char* child = std::getenv("LB_TEST_COUNT_INPUT");
  if (child == nullptr || child[0] == '\0') GTEST_SKIP() << "run as the child of the case below";
  size_t count = 0;
  char buffer[65536];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) count += got;
  std::exit(static_cast<int>(count % 256));
}

TEST(PlatformLayer, ChildProcessReadsThePipeAndReportsItsStatus) {
  std::string error;
  lb_engine::ChildProcess missing;
  EXPECT_FALSE(missing.start({lb_engine::executableFolder() + "lb-absent-program" + kExeSuffix}, &error));
  EXPECT_NE(error.find("cannot run"), std::string::npos) << error;

  const std::string self = lb_engine::executableFolder() + testProgram;
  ScopedVariable child("LB_TEST_COUNT_INPUT", "1");
  lb_engine::ChildProcess counter;
  ASSERT_TRUE(counter.start({self, "--gtest_filter=PlatformLayerChild.CountsItsInput"}, &error)) << error;
  // More than any pipe buffer, so that writing waits for the child to read.
  const std::vector<unsigned char> bytes(3 * 1000 * 1000 + 7, 'x');
  ASSERT_TRUE(counter.write(bytes.data(), bytes.size(), &error)) << error;
  // Still reading (its input is open): not ended. Once its input closes it
  // ends, and looking without waiting leaves its status for wait().
  EXPECT_FALSE(counter.exited());
  counter.closeInput();
  for (int i = 0; i < 1000 && !counter.exited(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(counter.exited());
  std::string how;
  double cpu = -1;
  EXPECT_FALSE(counter.wait(&how, &cpu));
  EXPECT_EQ(how, "exit status " + std::to_string(bytes.size() % 256));
  EXPECT_GE(cpu, 0.0);
  EXPECT_FALSE(counter.running());
}

#ifdef _WIN32
// The child: exits with 1 when the handle named in LB_TEST_HANDLE is open in it
// (it was inherited), 0 when it is not.
TEST(PlatformLayerChild, ReportsAnInheritedHandle) {
  const char* value = std::getenv("LB_TEST_HANDLE");
  if (value == nullptr || value[0] == '\0') GTEST_SKIP() << "run as the child of the case below";
  const HANDLE handle = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::strtoull(value, nullptr, 10)));
  DWORD flags = 0;
  std::exit(GetHandleInformation(handle, &flags) ? 1 : 0);
}

// ffmpeg gets its pipe and standard handles only, not every inheritable handle
// the renderer holds (which it would keep open for as long as it runs).
TEST(PlatformLayer, ChildInheritsOnlyItsPipe) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const HANDLE event = CreateEventW(&inheritable, TRUE, FALSE, nullptr);
  ASSERT_NE(event, nullptr);
  ScopedVariable child("LB_TEST_HANDLE", std::to_string(reinterpret_cast<std::uintptr_t>(event)));
  std::string error;
  lb_engine::ChildProcess process;
  ASSERT_TRUE(process.start({lb_engine::executableFolder() + testProgram,
                             "--gtest_filter=PlatformLayerChild.ReportsAnInheritedHandle"},
                            &error))
      << error;
  process.closeInput();
  std::string how;
  EXPECT_TRUE(process.wait(&how, nullptr)) << "the child holds the handle: " << how;
  CloseHandle(event);
}
#endif

}  // namespace
