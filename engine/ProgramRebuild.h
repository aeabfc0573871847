#pragma once
// Rebuilding a shader program from its source files into the same GL program
// object, for live editing of the shaders while the show plays: everything that
// holds the ShaderProgram (or its GL name) keeps using it, and uniform locations
// are looked up by name on every call anyway, so nothing else needs to know.
//
// A source that fails to compile, or a pair that fails to link, leaves the
// program exactly as it was (still linked, still drawing) and returns the
// compiler's or linker's log instead. The new pair is linked in a scratch
// program first, because a failed link of the program itself would leave it
// unusable. Uniform values set before the rebuild are reset to their defaults,
// as after any link; the show's scenes set theirs every frame.

#include <string>

namespace lb_engine {

class ShaderProgram;

// Returns true when the program now runs the new sources. On false, `log` holds
// "path: ..." lines and the GL info log of what failed.
bool rebuildProgram(ShaderProgram* program, const std::string& fragmentPath, const std::string& vertexPath,
                    std::string* log);

}  // namespace lb_engine
