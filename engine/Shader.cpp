#include "Shader.h"

#include "FileBytes.h"
#include "Gl.h"
#include "ShaderError.h"

#include <cstdio>
#include <vector>

namespace lb_engine {

namespace {

// The whole file as one NUL-terminated string. A file that cannot be opened or
// read gives an empty source (and a line naming the path), which then fails to
// compile with the usual report instead of being silently skipped.
std::vector<char> readSource(const char* path) {
  std::vector<unsigned char> bytes;
  if (!readFileBytes(path, &bytes)) {
    std::printf("%s: cannot read shader source\n", path);
    return std::vector<char>(1, '\0');
  }
  std::vector<char> source(bytes.begin(), bytes.end());
  source.push_back('\0');
  return source;
}

}  // namespace

Shader::Shader(const char* path, unsigned int type) : shaderId(0) {
  std::vector<char> source = readSource(path);
  shaderId = glCreateShader(type);
  const GLchar* text = source.data();
  glShaderSource(shaderId, 1, &text, nullptr);
  glCompileShader(shaderId);
  GLint status = GL_FALSE;
  glGetShaderiv(shaderId, GL_COMPILE_STATUS, &status);
  if (status == GL_FALSE) {
    std::printf("Shader error\n%s\n", source.data());
    std::fflush(stdout);
    ShaderError::errorStr(shaderId, SHADER_ERROR);
  }
}

Shader::~Shader() { glDeleteShader(shaderId); }

}  // namespace lb_engine
