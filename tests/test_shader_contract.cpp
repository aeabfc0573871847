// The data set's programs against what the engine and the scenes feed them:
// every vertex input sits at a location the meshes or the full-screen quad
// fill, and every uniform is one the scenes set. A shader that reads anything
// else would read zeros.

#include "Config.h"
#include "Gl.h"
#include "GlContext.h"
#include "ShaderProgram.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

struct ProgramContract {
  std::set<int> locations;           // vertex inputs
  std::set<std::string> uniforms;    // what the scenes set
};

// Mesh programs read Mesh3D's locations 0 position, 1 normal, 2 texture
// coordinate; quad programs read Sprite's 0 position and 1 texture coordinate.
const std::set<int> kMesh = {0, 1, 2};
const std::set<int> kQuad = {0, 1};

const std::map<std::string, ProgramContract> kContracts = {
    {"gloom", {kMesh, {"pmatrix", "img"}}},
    {"default", {kMesh, {"pmatrix", "img"}}},
    {"glass", {kMesh, {"pmatrix", "glasstex", "time"}}},
    {"hemisphere", {kMesh, {"pmatrix", "nmatrix", "img"}}},
    {"postgloom", {kQuad, {"color0", "color1", "depth"}}},
    {"dof", {kQuad, {"color0", "depth"}}},
    {"postprocessing", {kQuad, {"color0", "depth", "fade"}}},
    {"layer", {kQuad, {"img"}}},
};

}  // namespace

class ShaderContract : public lb_test::GlTest {};

TEST_F(ShaderContract, ProgramsReadOnlyTheLocationsAndUniformsTheyAreGiven) {
  lb_engine::Config config("data/config.txt");
  for (const auto& [key, contract] : kContracts) {
    SCOPED_TRACE(key);
    const GLuint program = config.getShader(key)->getProgramID();
    GLint count = 0;
    char name[128];
    GLint size = 0;
    GLenum type = 0;
    glGetProgramiv(program, GL_ACTIVE_ATTRIBUTES, &count);
    EXPECT_GT(count, 0);
    for (GLint i = 0; i < count; ++i) {
      glGetActiveAttrib(program, static_cast<GLuint>(i), sizeof name, nullptr, &size, &type, name);
      EXPECT_EQ(contract.locations.count(glGetAttribLocation(program, name)), 1u) << "input " << name;
    }
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; ++i) {
      glGetActiveUniform(program, static_cast<GLuint>(i), sizeof name, nullptr, &size, &type, name);
      EXPECT_EQ(contract.uniforms.count(name), 1u) << "uniform " << name << " is set by no scene";
    }
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
