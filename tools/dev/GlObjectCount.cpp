#include "GlObjectCount.h"

#include "Gl.h"

#include <algorithm>
#include <functional>

namespace lb_dev {

namespace {

// Names past the highest one found alive (or freshly handed out) that are
// still checked. Drivers hand out names either by reusing the lowest free one
// or by counting upwards; in both cases the live names of one kind sit well
// inside this margin of each other, since a kind never has thousands alive here.
const GLuint kMargin = 4096;

// Counts the names 1.. for which `isObject` holds. `top` is a name just handed
// out by the driver, which bounds the names in use from above when it counts
// upwards; the scan goes on kMargin past the highest live or handed-out name.
int countNames(GLuint top, const std::function<GLboolean(GLuint)>& isObject) {
  int count = 0;
  GLuint end = top + kMargin;
  for (GLuint name = 1; name < end; ++name) {
    if (isObject(name) == GL_TRUE) {
      ++count;
      end = std::max(end, name + kMargin);
    }
  }
  return count;
}

// A new name of a kind made by glGen*, deleted again at once: the driver's
// current top. glGen* alone makes no object, so nothing is bound or changed.
GLuint probeName(const std::function<void(GLuint*)>& gen, const std::function<void(GLuint)>& remove) {
  GLuint name = 0;
  gen(&name);
  remove(name);
  return name;
}

}  // namespace

std::string GlObjectCount::describe() const {
  return "programs=" + std::to_string(programs) + " shaders=" + std::to_string(shaders) +
         " textures=" + std::to_string(textures) + " buffers=" + std::to_string(buffers) +
         " vertex-arrays=" + std::to_string(vertexArrays) + " framebuffers=" + std::to_string(framebuffers) +
         " renderbuffers=" + std::to_string(renderbuffers);
}

GlObjectCount countGlObjects() {
  // Programs and shaders share one namespace; glCreateProgram hands out its top.
  const GLuint program = glCreateProgram();
  glDeleteProgram(program);
  GlObjectCount count;
  count.programs = countNames(program, [](GLuint n) { return glIsProgram(n); });
  count.shaders = countNames(program, [](GLuint n) { return glIsShader(n); });
  count.textures = countNames(probeName([](GLuint* n) { glGenTextures(1, n); }, [](GLuint n) { glDeleteTextures(1, &n); }),
                              [](GLuint n) { return glIsTexture(n); });
  count.buffers = countNames(probeName([](GLuint* n) { glGenBuffers(1, n); }, [](GLuint n) { glDeleteBuffers(1, &n); }),
                             [](GLuint n) { return glIsBuffer(n); });
  count.vertexArrays =
      countNames(probeName([](GLuint* n) { glGenVertexArrays(1, n); }, [](GLuint n) { glDeleteVertexArrays(1, &n); }),
                 [](GLuint n) { return glIsVertexArray(n); });
  count.framebuffers =
      countNames(probeName([](GLuint* n) { glGenFramebuffers(1, n); }, [](GLuint n) { glDeleteFramebuffers(1, &n); }),
                 [](GLuint n) { return glIsFramebuffer(n); });
  count.renderbuffers = countNames(
      probeName([](GLuint* n) { glGenRenderbuffers(1, n); }, [](GLuint n) { glDeleteRenderbuffers(1, &n); }),
      [](GLuint n) { return glIsRenderbuffer(n); });
  return count;
}

}  // namespace lb_dev
