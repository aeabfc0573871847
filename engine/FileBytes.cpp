#include "FileBytes.h"

#include <cstdio>

namespace lb_engine {

bool readFileBytes(const char* path, std::vector<unsigned char>* bytes) {
  bytes->clear();
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  long length = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
  bool ok = length >= 0 && std::fseek(file, 0, SEEK_SET) == 0;
  if (ok) {
    bytes->resize(static_cast<size_t>(length));
    ok = std::fread(bytes->data(), 1, bytes->size(), file) == bytes->size();
  }
  std::fclose(file);
  if (!ok) bytes->clear();
  return ok;
}

}  // namespace lb_engine
