#pragma once
// Whole-file reading for the loaders that parse from memory.

#include <cstddef>
#include <vector>

namespace lb_engine {

// Reads a whole file in binary mode. False (and `bytes` empty) if it cannot be
// opened or read.
bool readFileBytes(const char* path, std::vector<unsigned char>* bytes);

// Asks the kernel to back the whole 2 MiB pages inside [data, data + bytes) with
// huge pages when they are first touched: one fault per 2 MiB instead of one per
// 4 KiB, which is a quarter of the time of reading a large mesh. Only a hint;
// smaller ranges and systems without transparent huge pages are left alone.
// Part of the platform layer (PlatformPosix.cpp, PlatformWindows.cpp).
void adviseHugePages(void* data, size_t bytes);

}  // namespace lb_engine
