// libFuzzer harness for the catalogue line parser: every line is classified
// without reading outside it, and the fields it returns come from the line.

#include "CatalogueLine.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  size_t begin = 0;
  while (begin <= text.size()) {
    size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(begin, end - begin);
    const lb_engine::CatalogueLine parsed = lb_engine::parseCatalogueLine(line);
    if (parsed.key.size() > line.size() || parsed.path.size() > line.size()) std::abort();
    if (parsed.kind == lb_engine::CatalogueLine::kMalformed && parsed.problem == nullptr) std::abort();
    begin = end + 1;
  }
  return 0;
}
