// The web build's side of GlLoader.h: WebGL2 needs no entry points loaded
// (emscripten binds every GL function at link time), so this only checks that
// the context the page got is OpenGL ES 3.0 or newer, the level the engine's
// shaders and render targets need.

#include "GlLoader.h"

#include "Gl.h"

namespace lb_engine {

bool loadGlEntryPoints(std::string* error) {
  if (glGetString(GL_VERSION) == nullptr) {
    *error = "the WebGL context does not answer glGetString(GL_VERSION)";
    return false;
  }
  GLint major = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetError();  // a WebGL 1 context knows no GL_MAJOR_VERSION
  if (major < 3) {
    *error = std::string("the browser offers ") + reinterpret_cast<const char*>(glGetString(GL_VERSION)) +
             ", and WebGL2 (OpenGL ES 3.0) is needed";
    return false;
  }
  return true;
}

}  // namespace lb_engine
