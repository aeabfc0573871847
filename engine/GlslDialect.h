#pragma once
// The data set's shaders are written once, as GLSL 4.10 core. OpenGL ES 3.0
// (WebGL2) takes GLSL ES 3.00, which differs in a few places; this derives the
// ES text from the 4.10 text when a shader is loaded, so no second copy is kept.

#include <string>

namespace lb_engine {

enum class ShaderStage { kVertex, kFragment };

// GLSL ES 3.00 for one 4.10 core shader of the given stage:
//  - the "#version 410 core" line becomes "#version 300 es" followed by default
//    precisions (ES fragment shaders have no default float precision; high
//    everywhere, as on the desktop);
//  - the interface between the stages loses its layout(location = N): ES 3.00
//    allows locations only on vertex inputs and fragment outputs, and matches
//    the varyings by name (the show's shaders use the same names on both sides).
// Everything else passes through unchanged: constructs ES lacks (implicit int to
// float conversion, noperspective, ...) fail to compile there, which the
// dialect test reports for every program of the data set. A text that does not
// start with the 4.10 core line is returned unchanged.
std::string glslEs300FromCore410(const std::string& source, ShaderStage stage);

// The source this build's GL compiles: the text itself on desktop OpenGL, the
// ES 3.00 text above in the web build.
std::string shaderSourceForThisGl(const std::string& core410, ShaderStage stage);

}  // namespace lb_engine
