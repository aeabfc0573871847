#include "ShaderError.h"

#include "Gl.h"

#include <cstdio>
#include <vector>

namespace lb_engine {

std::string ShaderError::infoLog(unsigned int name, ERROR_TYPE type) {
  GLint length = 0;
  if (type == SHADER_ERROR) {
    glGetShaderiv(name, GL_INFO_LOG_LENGTH, &length);
  } else {
    glGetProgramiv(name, GL_INFO_LOG_LENGTH, &length);
  }
  if (length <= 0) return std::string();
  // One extra byte so an unterminated log still ends in a NUL.
  std::vector<char> log(static_cast<size_t>(length) + 1, '\0');
  if (type == SHADER_ERROR) {
    glGetShaderInfoLog(name, length, nullptr, log.data());
  } else {
    glGetProgramInfoLog(name, length, nullptr, log.data());
  }
  return std::string(log.data());
}

void ShaderError::errorStr(unsigned int name, ERROR_TYPE type) {
  std::printf("%s\n", infoLog(name, type).c_str());
  std::fflush(stdout);
}

}  // namespace lb_engine
