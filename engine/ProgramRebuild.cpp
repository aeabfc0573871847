#include "ProgramRebuild.h"

#include "FileBytes.h"
#include "Gl.h"
#include "GlslDialect.h"
#include "ShaderError.h"
#include "ShaderProgram.h"

#include <string>
#include <vector>

namespace lb_engine {

namespace {

// An info log without the trailing newlines drivers differ in, for quoting
// inside a longer message.
std::string trimmedLog(GLuint name, ERROR_TYPE type) {
  std::string log = ShaderError::infoLog(name, type);
  while (!log.empty() && log.back() == '\n') log.pop_back();
  return log;
}

// A compiled shader object, or 0 with the reason appended to `log`.
GLuint compileFile(const std::string& path, GLenum type, std::string* log) {
  std::vector<unsigned char> bytes;
  if (!readFileBytes(path.c_str(), &bytes)) {
    *log += path + ": cannot read shader source\n";
    return 0;
  }
  const std::string source = shaderSourceForThisGl(
      std::string(bytes.begin(), bytes.end()),
      type == GL_VERTEX_SHADER ? ShaderStage::kVertex : ShaderStage::kFragment);
  const GLchar* text = source.c_str();
  const GLint length = static_cast<GLint>(source.size());
  GLuint shader = glCreateShader(type);
  glShaderSource(shader, 1, &text, &length);
  glCompileShader(shader);
  GLint status = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
  if (status == GL_FALSE) {
    *log += path + ": does not compile:\n" + trimmedLog(shader, SHADER_ERROR) + "\n";
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

bool linkPair(GLuint program, GLuint fragment, GLuint vertex) {
  glAttachShader(program, fragment);
  glAttachShader(program, vertex);
  glLinkProgram(program);
  GLint status = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &status);
  return status == GL_TRUE;
}

void detachAll(GLuint program, bool deleteShaders) {
  GLint count = 0;
  glGetProgramiv(program, GL_ATTACHED_SHADERS, &count);
  std::vector<GLuint> shaders(static_cast<size_t>(count > 0 ? count : 0));
  if (count > 0) glGetAttachedShaders(program, count, nullptr, shaders.data());
  for (GLuint shader : shaders) {
    glDetachShader(program, shader);
    if (deleteShaders) glDeleteShader(shader);
  }
}

}  // namespace

bool rebuildProgram(ShaderProgram* program, const std::string& fragmentPath, const std::string& vertexPath,
                    std::string* log) {
  log->clear();
  const GLuint fragment = compileFile(fragmentPath, GL_FRAGMENT_SHADER, log);
  const GLuint vertex = compileFile(vertexPath, GL_VERTEX_SHADER, log);
  if (fragment == 0 || vertex == 0) {
    if (fragment != 0) glDeleteShader(fragment);
    if (vertex != 0) glDeleteShader(vertex);
    return false;
  }
  const GLuint scratch = glCreateProgram();
  const bool links = linkPair(scratch, fragment, vertex);
  if (!links) *log += fragmentPath + " + " + vertexPath + ": do not link:\n" + trimmedLog(scratch, PROGRAM_ERROR) + "\n";
  detachAll(scratch, false);
  glDeleteProgram(scratch);
  if (!links) {
    glDeleteShader(fragment);
    glDeleteShader(vertex);
    return false;
  }
  // The old shader objects belong to nobody else once detached.
  const GLuint name = program->getProgramID();
  detachAll(name, true);
  const bool relinked = linkPair(name, fragment, vertex);
  if (!relinked) *log += fragmentPath + " + " + vertexPath + ": linked alone but not in place:\n" + trimmedLog(name, PROGRAM_ERROR) + "\n";
  return relinked;
}

}  // namespace lb_engine
