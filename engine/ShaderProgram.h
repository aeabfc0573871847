#pragma once
// A linked GL program with uniforms set by name and textures bound to
// consecutive units: use() restarts the unit counter at 0 and every addTexture
// takes the next unit.

#include "Matrix.h"

namespace lb_engine {

class Texture;

class ShaderProgram {
 public:
  unsigned int programID;
  int textureUnit;

  ShaderProgram();
  ~ShaderProgram();

  void addShader(const char* path, unsigned int type);
  void compile();  // link, then validate, printing any failure's log
  unsigned int getProgramID() { return programID; }
  void use();
  void setParam(const char* name, float value);
  void setParam(const char* name, Matrix value);
  void setParam(const char* name, int value);
  void addTexture(const char* name, unsigned int texture);
  void addTexture(const char* name, Texture* texture);
};

}  // namespace lb_engine
