#include "GlLoader.h"

#include "Gl.h"

namespace lb_engine {

bool loadGlEntryPoints(std::string* error) {
  // Core profiles have no extension string for GLEW to read; without this flag it
  // would leave the 3.x+ entry points (vertex arrays, framebuffers) unloaded.
  glewExperimental = GL_TRUE;
  const GLenum status = glewInit();
  // GLEW loads the GL entry points first and only then looks for the GLX display,
  // which a context made through EGL (under Wayland, or by SDL's window-less
  // driver) does not have. The GL entry points are loaded either way, and none of
  // our programs calls GLX directly.
#ifdef GLEW_ERROR_NO_GLX_DISPLAY
  const bool loaded = status == GLEW_OK || status == GLEW_ERROR_NO_GLX_DISPLAY;
#else
  const bool loaded = status == GLEW_OK;
#endif
  if (!loaded) {
    *error = std::string("cannot load the OpenGL entry points: ") +
             reinterpret_cast<const char*>(glewGetErrorString(status));
    return false;
  }
  glGetError();  // glewInit leaves GL_INVALID_ENUM behind in a core context

  if (glGetString(GL_VERSION) == nullptr) {
    *error = "the current OpenGL context does not answer glGetString(GL_VERSION)";
    return false;
  }
  GLint major = 0;
  GLint minor = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  glGetError();
  if (major < 4 || (major == 4 && minor < 1)) {
    *error = "the context offers OpenGL " + std::to_string(major) + "." + std::to_string(minor) +
             ", and 4.1 is needed";
    return false;
  }
  return true;
}

}  // namespace lb_engine
