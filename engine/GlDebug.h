#pragma once
// GL error reporting. Debug builds define LB_GL_CHECKS, which turns LB_GL_CHECK(where)
// into a glGetError drain that prints every pending error with its call site. Where the
// driver offers KHR_debug, installGlDebugCallback() routes driver messages to stderr.

namespace lb_engine {

// Prints every pending GL error as "GL error 0x0500 at <where>" on stderr.
// Returns the number of errors that were pending.
int drainGlErrors(const char* where);

// Installs a KHR_debug message callback (synchronous) when the context offers it.
// Errors are counted; `failOnError` makes the callback print and count only errors
// of type GL_DEBUG_TYPE_ERROR, otherwise high-severity messages are printed too.
// Returns false when the driver has no KHR_debug, in which case callers fall back
// to drainGlErrors after each frame.
bool installGlDebugCallback();

// Number of GL errors the debug callback has seen since installation.
int glDebugErrorCount();

}  // namespace lb_engine

#ifdef LB_GL_CHECKS
#define LB_GL_CHECK(where) ::lb_engine::drainGlErrors(where)
#else
#define LB_GL_CHECK(where) ((void)0)
#endif
