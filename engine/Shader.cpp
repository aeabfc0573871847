#include "Shader.h"

#include "FileBytes.h"
#include "Gl.h"
#include "GlslDialect.h"
#include "ShaderError.h"

#include <cstdio>
#include <string>
#include <vector>

namespace lb_engine {

namespace {

// The whole file as a string. A file that cannot be opened or read gives an
// empty source (and a line naming the path), which then fails to compile with
// the usual report instead of being silently skipped.
std::string readSource(const char* path) {
  std::vector<unsigned char> bytes;
  if (!readFileBytes(path, &bytes)) {
    std::printf("%s: cannot read shader source\n", path);
    return std::string();
  }
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

Shader::Shader(const char* path, unsigned int type) : shaderId(0) {
  // The data set's sources are GLSL 4.10 core; an ES context gets them
  // rewritten to GLSL ES 3.00.
  const std::string source = shaderSourceForThisGl(
      readSource(path), type == GL_VERTEX_SHADER ? ShaderStage::kVertex : ShaderStage::kFragment);
  shaderId = glCreateShader(type);
  const GLchar* text = source.c_str();
  glShaderSource(shaderId, 1, &text, nullptr);
  glCompileShader(shaderId);
  GLint status = GL_FALSE;
  glGetShaderiv(shaderId, GL_COMPILE_STATUS, &status);
  if (status == GL_FALSE) {
    std::printf("Shader error\n%s\n", source.c_str());
    std::fflush(stdout);
    ShaderError::errorStr(shaderId, SHADER_ERROR);
  }
}

Shader::~Shader() { glDeleteShader(shaderId); }

}  // namespace lb_engine
