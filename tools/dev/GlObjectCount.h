#pragma once
// Counts the GL objects alive in the current context, by asking the driver
// about every name rather than trusting the program's own bookkeeping: a
// program, shader or texture that some code path forgets to delete shows up
// here whoever made it. The director's player prints these counts with
// --stats, so that a long session with hundreds of reloads can be checked for
// leaks from outside.

#include <string>

namespace lb_dev {

struct GlObjectCount {
  int programs = 0;
  int shaders = 0;
  int textures = 0;
  int buffers = 0;
  int vertexArrays = 0;
  int framebuffers = 0;
  int renderbuffers = 0;

  // "programs=N shaders=N textures=N ..." (one line, no newline).
  std::string describe() const;
};

// Scans the names of each kind of object in the current context. Costs one
// glIs* call per name up to a little past the highest name in use (a few
// thousand calls with the show loaded); meant for once every few seconds, not
// every frame. GL state is left as it was.
GlObjectCount countGlObjects();

}  // namespace lb_dev
