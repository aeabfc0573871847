#pragma once
// GL error reporting: a glGetError drain that names the call site, and, where the
// driver offers KHR_debug, a callback that routes driver messages to stderr.

namespace lb_engine {

// Prints every pending GL error as "GL error 0x0500 at <where>" on stderr.
// Returns the number of errors that were pending.
int drainGlErrors(const char* where);

// Installs a KHR_debug message callback (synchronous) when the context offers it.
// Every message of type GL_DEBUG_TYPE_ERROR is printed and counted; other
// messages of high severity are printed only. Returns false when the driver has
// no KHR_debug, in which case callers fall back to drainGlErrors after each frame.
bool installGlDebugCallback();

// Number of GL errors the debug callback has seen since installation.
int glDebugErrorCount();

}  // namespace lb_engine
