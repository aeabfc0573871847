#pragma once
// Which OpenGL the engine is built for: desktop OpenGL 4.1 core, or OpenGL ES
// 3.0 as WebGL2 offers it in the web build. The few places that differ test
// this constant (an ordinary branch the compiler folds), so both sides are
// compiled, and kept compiling, in every build.

namespace lb_engine {

#ifdef __EMSCRIPTEN__
constexpr bool kGlEs = true;
#else
constexpr bool kGlEs = false;
#endif

}  // namespace lb_engine
