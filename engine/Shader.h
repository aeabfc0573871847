#pragma once
// One GLSL source file compiled into a GL shader object. A failed compile prints
// "Shader error", the source and the info log on standard output; the object
// exists either way.

namespace lb_engine {

class Shader {
 public:
  unsigned int shaderId;

  Shader(const char* path, unsigned int type);
  ~Shader();
  unsigned int getShaderId() { return shaderId; }
};

}  // namespace lb_engine
