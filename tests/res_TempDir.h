#pragma once
// A scratch folder for tests that write input files; removed with everything in
// it when the object goes out of scope.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace lb_test {

class ResTempDir {
 public:
  ResTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lb_res_XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const char* made = mkdtemp(buffer.data());
    dir_ = made != nullptr ? made : "";
  }
  ~ResTempDir() {
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
  }
  ResTempDir(const ResTempDir&) = delete;
  ResTempDir& operator=(const ResTempDir&) = delete;

  std::string path(const std::string& name) const { return dir_ + "/" + name; }

  // Writes the bytes exactly (binary mode) and returns the file's path.
  std::string write(const std::string& name, const std::string& content) const {
    std::ofstream out(path(name), std::ios::binary);
    out << content;
    return path(name);
  }
  std::string write(const std::string& name, const std::vector<unsigned char>& content) const {
    return write(name, std::string(content.begin(), content.end()));
  }

 private:
  std::string dir_;
};

}  // namespace lb_test
