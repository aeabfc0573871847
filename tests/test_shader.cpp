// Shader programs: compile, link and validate reports on standard output, uniform
// setting by name, and texture units that climb from 0 after every use().

#include "GlContext.h"
#include "Gl.h"
#include "Matrix.h"
#include "Shader.h"
#include "ShaderError.h"
#include "ShaderProgram.h"
#include "res_TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

using lb_engine::ShaderProgram;
using testing::HasSubstr;
using testing::Not;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

const char kQuadVertex[] =
    "#version 410 core\n"
    "layout(location = 0) in vec2 position;\n"
    "layout(location = 1) in vec2 texCoord;\n"
    "out vec2 uv;\n"
    "void main() { uv = texCoord; gl_Position = vec4(position, 0.0, 1.0); }\n";

// Deliberately without a final line feed: the last character must still count.
const char kSamplingFragment[] =
    "#version 410 core\n"
    "uniform sampler2D img;\n"
    "uniform float gain;\n"
    "in vec2 uv;\n"
    "out vec4 fragColor;\n"
    "void main() { fragColor = gain * texture(img, uv); }";

const char kBrokenFragment[] =
    "#version 410 core\n"
    "out vec4 fragColor;\n"
    "void main() { fragColor = vec4(1.0) +; }\n";

class ShaderGl : public lb_test::GlTest {
 protected:
  ShaderProgram* build(const std::string& fragment, const std::string& vertex) {
    const std::string fragmentPath = dir_.write("p" + std::to_string(count_) + ".frag", fragment);
    const std::string vertexPath = dir_.write("p" + std::to_string(count_) + ".vert", vertex);
    ++count_;
    auto* program = new ShaderProgram();
    program->addShader(fragmentPath.c_str(), GL_FRAGMENT_SHADER);
    program->addShader(vertexPath.c_str(), GL_VERTEX_SHADER);
    program->compile();
    return program;
  }
  std::string path(const std::string& name) const { return dir_.path(name); }
  lb_test::ResTempDir dir_;
  int count_ = 0;
};

GLint linkStatus(unsigned int program) {
  GLint status = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &status);
  return status;
}

GLuint makeTexture() {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  const unsigned char pixel[4] = {10, 20, 30, 255};
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  return name;
}

}  // namespace

TEST_F(ShaderGl, GoodProgramLinksQuietlyWithoutAFinalLineFeed) {
  CaptureStdout();
  ShaderProgram* program = build(kSamplingFragment, kQuadVertex);
  EXPECT_EQ(GetCapturedStdout(), "");
  EXPECT_EQ(linkStatus(program->getProgramID()), GL_TRUE);
  GLint attached = 0;
  glGetProgramiv(program->getProgramID(), GL_ATTACHED_SHADERS, &attached);
  EXPECT_EQ(attached, 2);
  delete program;
}

TEST_F(ShaderGl, BrokenShaderReportsSourceLogThenLinkAndValidateErrors) {
  CaptureStdout();
  ShaderProgram* program = build(kBrokenFragment, kQuadVertex);
  const std::string out = GetCapturedStdout();
  // "Shader error", the source as written, the compiler's log, then the program's
  // link failure and the validation failure of the unlinked program.
  const std::string header = std::string("Shader error\n") + kBrokenFragment + "\n";
  ASSERT_EQ(out.compare(0, header.size(), header), 0) << out;
  const size_t link = out.find("Link error\n");
  const size_t validate = out.find("Validate error\n");
  ASSERT_NE(link, std::string::npos) << out;
  ASSERT_NE(validate, std::string::npos) << out;
  EXPECT_LT(header.size(), link) << "the compile log comes between source and link error";
  EXPECT_LT(link, validate);
  EXPECT_GT(out.size(), validate + std::string("Validate error\n").size()) << "the validation log follows";
  EXPECT_EQ(linkStatus(program->getProgramID()), GL_FALSE);
  GLint attached = 0;
  glGetProgramiv(program->getProgramID(), GL_ATTACHED_SHADERS, &attached);
  EXPECT_EQ(attached, 2) << "a failed shader stays attached";
}

TEST_F(ShaderGl, UnreadableSourceNamesItsPathAndFailsToCompile) {
  // A missing file, and a folder (which opens, but whose size from seeking is absurd).
  for (const std::string& unreadable : {path("absent.frag"), path("")}) {
    SCOPED_TRACE(unreadable);
    CaptureStdout();
    lb_engine::Shader shader(unreadable.c_str(), GL_FRAGMENT_SHADER);
    const std::string out = GetCapturedStdout();
    EXPECT_EQ(out.rfind(unreadable + ": cannot read shader source\nShader error\n", 0), 0u) << out;
    GLint compiled = GL_TRUE;
    glGetShaderiv(shader.getShaderId(), GL_COMPILE_STATUS, &compiled);
    EXPECT_EQ(compiled, GL_FALSE);
  }
}

TEST_F(ShaderGl, EmptyInfoLogPrintsAnEmptyLine) {
  const GLuint program = glCreateProgram();  // never linked: its info log is empty
  CaptureStdout();
  lb_engine::ShaderError::errorStr(program, lb_engine::PROGRAM_ERROR);
  EXPECT_EQ(GetCapturedStdout(), "\n");
  glDeleteProgram(program);
}

TEST_F(ShaderGl, TextureUnitsClimbFromZeroAndRestartAfterUse) {
  ShaderProgram* first = build(kSamplingFragment, kQuadVertex);
  ShaderProgram* second = build(kSamplingFragment, kQuadVertex);
  const GLuint textures[3] = {makeTexture(), makeTexture(), makeTexture()};
  const GLint img = glGetUniformLocation(first->getProgramID(), "img");
  ASSERT_NE(img, -1);

  first->use();
  EXPECT_EQ(first->textureUnit, 0);
  for (int i = 0; i < 3; ++i) {
    first->addTexture("img", textures[i]);
    GLint active = 0, bound = 0, sampler = -1;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetUniformiv(first->getProgramID(), img, &sampler);
    EXPECT_EQ(active, GL_TEXTURE0 + i);
    EXPECT_EQ(static_cast<GLuint>(bound), textures[i]);
    EXPECT_EQ(sampler, i) << "the sampler reads the texture just bound";
    EXPECT_EQ(first->textureUnit, i + 1);
  }
  first->use();
  EXPECT_EQ(first->textureUnit, 0);

  second->use();
  second->addTexture("img", textures[2]);
  GLint active = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  EXPECT_EQ(active, GL_TEXTURE0);
  EXPECT_EQ(second->textureUnit, 1);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ShaderGl, SetParamSetsByNameAndIgnoresAbsentNames) {
  const char vertex[] =
      "#version 410 core\n"
      "layout(location = 0) in vec3 position;\n"
      "uniform mat4 pmatrix;\n"
      "uniform float fade;\n"
      "out float f;\n"
      "void main() { f = fade; gl_Position = pmatrix * vec4(position, 1.0); }\n";
  const char fragment[] =
      "#version 410 core\nin float f;\nout vec4 c;\nvoid main() { c = vec4(f); }\n";
  ShaderProgram* program = build(fragment, vertex);
  program->use();
  lb_engine::Matrix matrix;
  for (int i = 0; i < 16; ++i) matrix.matrix()[i] = static_cast<float>(i + 1);
  program->setParam("pmatrix", matrix);
  program->setParam("fade", 0.75f);
  program->setParam("nosuchname", 3.0f);
  program->setParam("nosuchname", 3);
  program->setParam("nosuchname", matrix);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  float stored[16] = {0};
  glGetUniformfv(program->getProgramID(), glGetUniformLocation(program->getProgramID(), "pmatrix"), stored);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(stored[i], i + 1.0f) << "column-major, untransposed, index " << i;
  float fade = 0;
  glGetUniformfv(program->getProgramID(), glGetUniformLocation(program->getProgramID(), "fade"), &fade);
  EXPECT_EQ(fade, 0.75f);
}
