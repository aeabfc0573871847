#include "ShaderError.h"

#include "Gl.h"

#include <cstdio>
#include <vector>

namespace lb_engine {

void ShaderError::errorStr(unsigned int name, ERROR_TYPE type) {
  GLint length = 0;
  if (type == SHADER_ERROR) {
    glGetShaderiv(name, GL_INFO_LOG_LENGTH, &length);
  } else {
    glGetProgramiv(name, GL_INFO_LOG_LENGTH, &length);
  }
  if (length < 0) length = 0;
  // One extra byte so an empty or unterminated log still prints as a string.
  std::vector<char> log(static_cast<size_t>(length) + 1, '\0');
  if (length > 0) {
    if (type == SHADER_ERROR) {
      glGetShaderInfoLog(name, length, nullptr, log.data());
    } else {
      glGetProgramInfoLog(name, length, nullptr, log.data());
    }
  }
  log[static_cast<size_t>(length)] = '\0';
  std::printf("%s\n", log.data());
  std::fflush(stdout);
}

}  // namespace lb_engine
