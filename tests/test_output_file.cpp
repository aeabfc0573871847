// Writing a requested file through a temporary: the target is replaced only by
// a complete file, and is otherwise left exactly as it was.

#include "FileBytes.h"
#include "OutputFile.h"
#include "Platform.h"
#include "res_TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every name in the folder, hidden ones included.
std::vector<std::string> names(const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& entry : fs::directory_iterator(folder)) found.push_back(entry.path().filename().string());
  std::sort(found.begin(), found.end());
  return found;
}

TEST(OutputFile, TemporaryIsHiddenBesideTheTargetWithItsExtensionLast) {
  lb_test::ResTempDir dir;
  lb_engine::OutputFile out(dir.path("last week.mp4"));
  const fs::path temporary(out.temporary());
  EXPECT_EQ(temporary.parent_path(), fs::path(dir.path("")).parent_path());
  const std::string name = temporary.filename().string();
  EXPECT_EQ(name.rfind(".last week.partial-", 0), 0u) << name;
  EXPECT_EQ(temporary.extension(), ".mp4");  // ffmpeg picks the container from it
  EXPECT_FALSE(fs::exists(temporary));       // nothing is made until the writer writes

  lb_engine::OutputFile bare(dir.path("README"));
  EXPECT_EQ(fs::path(bare.temporary()).filename().string().rfind(".README.partial-", 0), 0u);
  EXPECT_NE(lb_engine::OutputFile(dir.path("x.png")).temporary(), lb_engine::OutputFile(dir.path("x.png")).temporary());
}

TEST(OutputFile, CommitReplacesTheTargetAndLeavesNothingElse) {
  lb_test::ResTempDir dir;
  dir.write("shot.png", "the good one");
  {
    lb_engine::OutputFile out(dir.path("shot.png"));
    std::ofstream(out.temporary(), std::ios::binary) << "the new one";
    std::string error;
    ASSERT_TRUE(out.commit(&error)) << error;
  }
  EXPECT_EQ(contents(dir.path("shot.png")), "the new one");
  EXPECT_EQ(names(dir.path("")), std::vector<std::string>{"shot.png"});
}

TEST(OutputFile, AbandonedOrFailedWritesLeaveTheTargetAsItWas) {
  lb_test::ResTempDir dir;
  dir.write("sheet.png", "the good one");
  {
    // The writer gave up half-way: the destructor removes its temporary.
    lb_engine::OutputFile out(dir.path("sheet.png"));
    std::ofstream(out.temporary(), std::ios::binary) << "half";
    EXPECT_EQ(out.unchangedNote(), dir.path("sheet.png") + " was left unchanged");
  }
  EXPECT_EQ(contents(dir.path("sheet.png")), "the good one");
  EXPECT_EQ(names(dir.path("")), std::vector<std::string>{"sheet.png"});

  // No temporary to commit (the writer never made one): the target stays, the
  // message names it.
  lb_engine::OutputFile none(dir.path("sheet.png"));
  std::string error;
  EXPECT_FALSE(none.commit(&error));
  EXPECT_NE(error.find(dir.path("sheet.png") + " was left unchanged"), std::string::npos) << error;
  EXPECT_EQ(contents(dir.path("sheet.png")), "the good one");
}

TEST(OutputFile, NoteSaysNothingWasWrittenWhereNoFileWas) {
  lb_test::ResTempDir dir;
  lb_engine::OutputFile out(dir.path("new.mp4"));
  EXPECT_EQ(out.unchangedNote(), dir.path("new.mp4") + " was not written");
}

// A user's folder is often named outside ASCII (C:\Users\Zoë\). Paths are
// UTF-8 inside the programs; on Windows the narrow calls would read them in
// the ANSI code page and find no such folder.
TEST(OutputFile, WritesIntoAFolderNamedOutsideAscii) {
  lb_test::ResTempDir dir;
  const std::string folder = dir.path("Zo\xc3\xab");
  ASSERT_TRUE(fs::create_directory(fs::u8path(folder)));
  const std::string target = lb_engine::outputPathFrom("frame.png", folder);
  EXPECT_EQ(target, folder + "/frame.png");
  {
    lb_engine::OutputFile out(target);
    std::FILE* file = lb_engine::openFile(out.temporary(), "wb");
    ASSERT_NE(file, nullptr) << out.temporary();
    std::fputs("the frame", file);
    std::fclose(file);
    std::string error;
    ASSERT_TRUE(out.commit(&error)) << error;
  }
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(lb_engine::readFileBytes(target.c_str(), &bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "the frame");
  // No temporary is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(fs::u8path(folder)), fs::directory_iterator()), 1);
}

// One rule for every output path (--out, --video, --contact-sheet): relative
// ones are taken from the working folder, rooted ones kept as given.
TEST(OutputPath, RelativePathsAreTakenFromTheWorkingFolderAndRootedOnesKept) {
  EXPECT_EQ(lb_engine::outputPathFrom("frames/a.png", "/home/zoe"), "/home/zoe/frames/a.png");
  EXPECT_EQ(lb_engine::outputPathFrom("a.png", "/"), "/a.png");
  EXPECT_EQ(lb_engine::outputPathFrom("/srv/a.png", "/home/zoe"), "/srv/a.png");
#ifdef _WIN32
  EXPECT_EQ(lb_engine::outputPathFrom("a.png", "C:/Users/zoe"), "C:/Users/zoe/a.png");
  for (const char* rooted : {"C:\\out\\a.png", "C:/out/a.png", "\\out\\a.png", "c:a.png"})
    EXPECT_EQ(lb_engine::outputPathFrom(rooted, "Z:/tmp"), rooted);
#else
  // A backslash and a colon are ordinary characters of a POSIX name.
  EXPECT_EQ(lb_engine::outputPathFrom("C:\\out\\a.png", "/home/zoe"), "/home/zoe/C:\\out\\a.png");
#endif
}

}  // namespace
