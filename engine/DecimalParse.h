#pragma once
// std::from_chars for double where the standard library has it. The libc++ of
// Debian's emscripten (3.1.6) declares the floating-point overloads deleted, so
// there strtod on a NUL-terminated copy, in the "C" locale every WebAssembly
// program runs in, keeps the contract for what the OBJ reader hands it (no
// leading white space or '+', the longest number, ptr just past it); only a
// hexadecimal "0x..." reads whole there, which the reader's own fallback to
// strtod does anyway. Both round correctly.

#include <charconv>
#include <cstdlib>
#include <string>
#include <system_error>

namespace lb_engine {

inline std::from_chars_result parseDecimal(const char* first, const char* last, double& value) {
#if defined(__cpp_lib_to_chars)
  return std::from_chars(first, last, value);
#else
  if (first == last || *first == '+' || *first == ' ' || *first == '\t' || *first == '\n' || *first == '\r' ||
      *first == '\v' || *first == '\f')
    return {first, std::errc::invalid_argument};
  const std::string copy(first, last);
  char* stop = nullptr;
  const double parsed = std::strtod(copy.c_str(), &stop);
  if (stop == copy.c_str()) return {first, std::errc::invalid_argument};
  value = parsed;
  return {first + (stop - copy.c_str()), std::errc()};
#endif
}

}  // namespace lb_engine
