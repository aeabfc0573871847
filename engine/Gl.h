#pragma once
// The one way the engine reaches OpenGL. On the desktop through GLEW, which must
// come before any other GL header; in the web build OpenGL ES 3.0 (WebGL2)
// through emscripten's own headers, with the values of the few desktop names
// the engine still mentions there (the BGR pixel formats the image decoders
// report, converted before any upload; the point-size switch, never enabled).
#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>
#define GL_BGR 0x80E0
#define GL_BGRA 0x80E1
#define GL_PROGRAM_POINT_SIZE 0x8642
#else
#include <GL/glew.h>
#endif
