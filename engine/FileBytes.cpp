#include "FileBytes.h"

#include "Platform.h"

#include <cstdint>
#include <cstdio>

namespace lb_engine {

bool readFileBytes(const char* path, std::vector<unsigned char>* bytes) {
  bytes->clear();
  std::FILE* file = openFile(path, "rb");
  if (file == nullptr) return false;
  // The size from seeking is only a hint for the reservation: for a directory,
  // which opens, it is LONG_MAX. The bytes are counted by reading them.
  constexpr long kLargestHint = 1L << 30;
  long hint = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) hint = std::ftell(file);
  std::rewind(file);
  if (hint > 0 && hint <= kLargestHint) {
    bytes->reserve(static_cast<size_t>(hint));
    adviseHugePages(bytes->data(), bytes->capacity());
  }
  unsigned char chunk[1 << 16];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0) bytes->insert(bytes->end(), chunk, chunk + got);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  if (!ok) bytes->clear();
  return ok;
}

}  // namespace lb_engine
