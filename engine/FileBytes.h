#pragma once
// Whole-file reading for the loaders that parse from memory.

#include <vector>

namespace lb_engine {

// Reads a whole file in binary mode. False (and `bytes` empty) if it cannot be
// opened or read.
bool readFileBytes(const char* path, std::vector<unsigned char>* bytes);

}  // namespace lb_engine
