#include "Shader.h"

#include "Gl.h"
#include "ShaderError.h"

#include <cstdio>
#include <vector>

namespace lb_engine {

namespace {

// The whole file as one NUL-terminated string. An unreadable file gives an empty
// source (and a line naming the path), which then fails to compile with the usual
// report instead of being silently skipped.
std::vector<char> readSource(const char* path) {
  std::vector<char> source(1, '\0');
  std::FILE* file = std::fopen(path, "r");
  if (file == nullptr) {
    std::printf("%s: cannot open shader source\n", path);
    return source;
  }
  long length = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
  std::rewind(file);
  if (length > 0) {
    source.assign(static_cast<size_t>(length) + 1, '\0');
    // Text mode may return fewer bytes than ftell counted; terminate after what arrived.
    const size_t got = std::fread(source.data(), 1, static_cast<size_t>(length), file);
    source[got] = '\0';
  }
  std::fclose(file);
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
