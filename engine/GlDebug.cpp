#include "GlDebug.h"

#include "Gl.h"

#include <cstdio>

namespace lb_engine {

namespace {
int gDebugErrors = 0;

void GLAPIENTRY onGlMessage(GLenum source, GLenum type, GLuint id, GLenum severity,
                            GLsizei length, const GLchar* message, const void* user) {
  (void)source;
  (void)id;
  (void)length;
  (void)user;
  if (type == GL_DEBUG_TYPE_ERROR) {
    ++gDebugErrors;
    std::fprintf(stderr, "GL error (KHR_debug): %s\n", message);
  } else if (severity == GL_DEBUG_SEVERITY_HIGH) {
    std::fprintf(stderr, "GL message (KHR_debug): %s\n", message);
  }
}
}  // namespace

int drainGlErrors(const char* where) {
  int count = 0;
  for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) {
    std::fprintf(stderr, "GL error 0x%04x at %s\n", e, where);
    if (++count > 32) break;  // a lost context can report errors forever
  }
  return count;
}

bool installGlDebugCallback() {
  if (!(GLEW_KHR_debug || GLEW_VERSION_4_3) || glDebugMessageCallback == nullptr) return false;
  glEnable(GL_DEBUG_OUTPUT);
  glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
  glDebugMessageCallback(onGlMessage, nullptr);
  return true;
}

int glDebugErrorCount() { return gDebugErrors; }

}  // namespace lb_engine
