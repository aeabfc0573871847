#pragma once
// A scratch folder for tests that write input files; removed with everything in
// it when the object goes out of scope.

#include <filesystem>
#include <random>
#include <fstream>
#include <string>
#include <vector>

namespace lb_test {

class ResTempDir {
 public:
  // A new folder of a random name under the system's temporary folder (what
  // mkdtemp does, which not every C library has).
  ResTempDir() {
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && dir_.empty(); ++attempt) {
      const std::filesystem::path candidate = base / ("lb_res_" + std::to_string(random()));
      std::error_code error;
      if (std::filesystem::create_directory(candidate, error) && !error) dir_ = candidate.generic_string();
    }
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
