#include "ShaderProgram.h"

#include "Gl.h"
#include "Shader.h"
#include "ShaderError.h"
#include "Texture.h"

#include <cstdio>

namespace lb_engine {

ShaderProgram::ShaderProgram() : programID(glCreateProgram()), textureUnit(0) {}

ShaderProgram::~ShaderProgram() { glDeleteProgram(programID); }

void ShaderProgram::addShader(const char* path, unsigned int type) {
  // The Shader object is deliberately not kept: once attached, its GL shader lives
  // with the program. Attached even after a failed compile, so linking reports it.
  Shader* shader = new Shader(path, type);
  glAttachShader(programID, shader->getShaderId());
}

void ShaderProgram::compile() {
  GLint status = GL_FALSE;
  glLinkProgram(programID);
  glGetProgramiv(programID, GL_LINK_STATUS, &status);
  if (status == GL_FALSE) {
    std::printf("Link error\n");
    ShaderError::errorStr(programID, PROGRAM_ERROR);
  }
  // Validated even after a failed link, against the GL state current at load time.
  status = GL_FALSE;
  glValidateProgram(programID);
  glGetProgramiv(programID, GL_VALIDATE_STATUS, &status);
  if (status == GL_FALSE) {
    std::printf("Validate error\n");
    ShaderError::errorStr(programID, PROGRAM_ERROR);
  }
  std::fflush(stdout);
}

void ShaderProgram::use() {
  glUseProgram(programID);
  textureUnit = 0;
}

void ShaderProgram::setParam(const char* name, float value) {
  glUniform1f(glGetUniformLocation(programID, name), value);
}

void ShaderProgram::setParam(const char* name, Matrix value) {
  glUniformMatrix4fv(glGetUniformLocation(programID, name), 1, GL_FALSE, value.matrix());
}

void ShaderProgram::setParam(const char* name, int value) {
  glUniform1i(glGetUniformLocation(programID, name), value);
}

void ShaderProgram::addTexture(const char* name, unsigned int texture) {
  glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(textureUnit));
  glBindTexture(GL_TEXTURE_2D, texture);
  setParam(name, textureUnit);
  textureUnit += 1;
}

void ShaderProgram::addTexture(const char* name, Texture* texture) {
  addTexture(name, texture->getTexID());
}

}  // namespace lb_engine
