#pragma once
// Prints the GL info log of a shader or program on standard output.

namespace lb_engine {

enum ERROR_TYPE { SHADER_ERROR = 0, PROGRAM_ERROR = 1 };

class ShaderError {
 public:
  static void errorStr(unsigned int name, ERROR_TYPE type);
};

}  // namespace lb_engine
