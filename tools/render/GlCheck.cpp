#include "GlCheck.h"

#include "Gl.h"
#include "GlDebug.h"

#include <cstdio>

namespace lb_render {

const char* glErrorName(unsigned int code) {
  switch (code) {
    case GL_INVALID_ENUM: return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE: return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION: return "GL_INVALID_OPERATION";
    case GL_INVALID_FRAMEBUFFER_OPERATION: return "GL_INVALID_FRAMEBUFFER_OPERATION";
    case GL_OUT_OF_MEMORY: return "GL_OUT_OF_MEMORY";
    case GL_STACK_UNDERFLOW: return "GL_STACK_UNDERFLOW";
    case GL_STACK_OVERFLOW: return "GL_STACK_OVERFLOW";
    default: return "unknown GL error";
  }
}

std::string describeFrame(double t) {
  char text[64];
  std::snprintf(text, sizeof text, "the frame at t = %.6g s", t);
  return text;
}

bool GlErrorCheck::start(bool debugOutput) {
  debugActive_ = debugOutput && lb_engine::installGlDebugCallback();
  debugErrorsSeen_ = lb_engine::glDebugErrorCount();
  return debugActive_ || !debugOutput;
}

bool GlErrorCheck::check(const std::string& what, std::string* error) {
  std::string codes;
  int pending = 0;
  // A lost context may report errors forever, so the drain is bounded.
  for (GLenum code = glGetError(); code != GL_NO_ERROR && pending < 32; code = glGetError(), ++pending) {
    char text[64];
    std::snprintf(text, sizeof text, "%s%s (0x%04x)", codes.empty() ? "" : ", ", glErrorName(code), code);
    codes += text;
  }
  const int debugErrors = lb_engine::glDebugErrorCount() - debugErrorsSeen_;
  debugErrorsSeen_ = lb_engine::glDebugErrorCount();
  if (pending == 0 && debugErrors == 0) return true;
  if (pending > 0)
    *error = "GL error " + codes + " while " + what;
  else
    *error = "GL error reported by the driver's debug output (above) while " + what;
  if (debugErrors > 1) *error += " (" + std::to_string(debugErrors) + " debug messages of type error)";
  return false;
}

}  // namespace lb_render
