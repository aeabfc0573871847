#pragma once
// The GL info log of a shader or program: printed on standard output, or
// returned as text.

#include <string>

namespace lb_engine {

enum ERROR_TYPE { SHADER_ERROR = 0, PROGRAM_ERROR = 1 };

class ShaderError {
 public:
  static void errorStr(unsigned int name, ERROR_TYPE type);
  // The log as the driver wrote it (up to its terminating NUL); empty when
  // there is none.
  static std::string infoLog(unsigned int name, ERROR_TYPE type);
};

}  // namespace lb_engine
