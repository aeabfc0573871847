// Render buffer: which texture units and samplers the post-processing program
// sees, the GL state each pass leaves behind, and the composed picture.

#include "GlContext.h"

#include "Gl.h"
#include "RenderBuffer.h"
#include "ShaderProgram.h"
#include "res_TempDir.h"

#include <cstdio>
#include <string>

using lb_engine::RenderBuffer;
using lb_engine::ShaderProgram;

namespace {

const char* const kQuadVertex = R"(#version 410 core
layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texcoord;
out vec2 uv;
void main() { uv = texcoord; gl_Position = vec4(position, 0.0, 1.0); }
)";

// Every sampler contributes to the output so that none is optimised away; step()
// of a non-negative sum is 1, which the compiler cannot know.
const char* const kTwoColoursAndDepth = R"(#version 410 core
uniform sampler2D color0;
uniform sampler2D color1;
uniform sampler2D depth;
in vec2 uv;
out vec4 frag;
void main() {
  frag = vec4(texture(color0, uv).rgb, 1.0) * step(0.0, texture(color1, uv).a + texture(depth, uv).r);
}
)";

const char* const kOneColourAndDepth = R"(#version 410 core
uniform sampler2D color0;
uniform sampler2D depth;
in vec2 uv;
out vec4 frag;
void main() { frag = vec4(texture(color0, uv).rgb, 1.0) * step(0.0, texture(depth, uv).r); }
)";

std::string writeSource(const std::string& name, const char* text) {
  static lb_test::ResTempDir dir;  // removed with its files when the process ends
  return dir.write(name, text);
}

ShaderProgram* makeProgram(const char* fragment) {
  static int serial = 0;
  ++serial;
  const std::string fragPath = writeSource(std::to_string(serial) + ".frag", fragment);
  const std::string vertPath = writeSource(std::to_string(serial) + ".vert", kQuadVertex);
  ShaderProgram* program = new ShaderProgram();
  program->addShader(fragPath.c_str(), GL_FRAGMENT_SHADER);
  program->addShader(vertPath.c_str(), GL_VERTEX_SHADER);
  program->compile();
  std::remove(fragPath.c_str());
  std::remove(vertPath.c_str());
  return program;
}

GLint samplerUnit(ShaderProgram* program, const char* name) {
  const GLint location = glGetUniformLocation(program->getProgramID(), name);
  EXPECT_GE(location, 0) << name << " is not an active uniform";
  GLint unit = -1;
  glGetUniformiv(program->getProgramID(), location, &unit);
  return unit;
}

GLuint textureOnUnit(int unit) {
  glActiveTexture(GL_TEXTURE0 + unit);
  GLint name = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
  return static_cast<GLuint>(name);
}

GLint integer(GLenum what) {
  GLint value = 0;
  glGetIntegerv(what, &value);
  return value;
}

}  // namespace

class RenderBufferTest : public lb_test::GlTest {};

TEST_F(RenderBufferTest, TwoColourTexturesAndDepthSitOnUnitsZeroOneTwo) {
  ShaderProgram* program = makeProgram(kTwoColoursAndDepth);
  RenderBuffer buffer(kWidth, kHeight, 0, 2, true);
  buffer.addShader(program);
  EXPECT_FALSE(buffer.getError());
  ASSERT_NE(buffer.getRenderTexture(0), 0u);
  ASSERT_NE(buffer.getRenderTexture(1), 0u);
  ASSERT_NE(buffer.getDepth(), 0u);

  buffer.firstPass();
  buffer.secondPass();
  EXPECT_EQ(integer(GL_CURRENT_PROGRAM), static_cast<GLint>(program->getProgramID()));
  EXPECT_EQ(samplerUnit(program, "color0"), 0);
  EXPECT_EQ(samplerUnit(program, "color1"), 1);
  EXPECT_EQ(samplerUnit(program, "depth"), 2);
  EXPECT_EQ(textureOnUnit(0), buffer.getRenderTexture(0));
  EXPECT_EQ(textureOnUnit(1), buffer.getRenderTexture(1));
  EXPECT_EQ(textureOnUnit(2), buffer.getDepth());
  // The scene may bind further textures after the buffer's own.
  EXPECT_EQ(program->textureUnit, 3);
}

TEST_F(RenderBufferTest, OneColourTextureAndDepthSitOnUnitsZeroOne) {
  ShaderProgram* program = makeProgram(kOneColourAndDepth);
  RenderBuffer buffer(kWidth, kHeight, 0, 1, true);
  buffer.addShader(program);
  buffer.firstPass();
  buffer.secondPass();
  EXPECT_EQ(samplerUnit(program, "color0"), 0);
  EXPECT_EQ(samplerUnit(program, "depth"), 1);
  EXPECT_EQ(textureOnUnit(0), buffer.getRenderTexture(0));
  EXPECT_EQ(textureOnUnit(1), buffer.getDepth());
  EXPECT_EQ(program->textureUnit, 2);
}

TEST_F(RenderBufferTest, WithoutDepthNoDepthSamplerIsSet) {
  ShaderProgram* program = makeProgram(kOneColourAndDepth);
  RenderBuffer buffer(kWidth, kHeight, 0, 1, false);
  buffer.addShader(program);
  EXPECT_EQ(buffer.getDepth(), 0u);
  program->use();
  program->setParam("depth", 7);  // a marker that secondPass must leave alone

  buffer.firstPass();
  buffer.secondPass();
  EXPECT_EQ(samplerUnit(program, "color0"), 0);
  EXPECT_EQ(samplerUnit(program, "depth"), 7);
  EXPECT_EQ(program->textureUnit, 1);
}

TEST_F(RenderBufferTest, RenderTextureIndexOutsideTheColourCountGivesZero) {
  RenderBuffer two(kWidth, kHeight, 0, 2, true);
  EXPECT_EQ(two.getRenderTexture(2), 0u);
  EXPECT_EQ(two.getRenderTexture(-1), 0u);
  EXPECT_EQ(two.getRenderTexture(1000), 0u);
  EXPECT_TRUE(glIsTexture(two.getRenderTexture(0)));
  EXPECT_TRUE(glIsTexture(two.getRenderTexture(1)));
  EXPECT_NE(two.getRenderTexture(0), two.getRenderTexture(1));

  RenderBuffer one(kWidth, kHeight, 0, 1, true);
  EXPECT_EQ(one.getRenderTexture(1), 0u);
  EXPECT_NE(one.getRenderTexture(0), 0u);
}

TEST_F(RenderBufferTest, LaterAddShaderReplacesTheEarlierProgram) {
  ShaderProgram* first = makeProgram(kOneColourAndDepth);
  ShaderProgram* second = makeProgram(kOneColourAndDepth);
  RenderBuffer buffer(kWidth, kHeight, 0, 1, true);
  buffer.addShader(first);
  buffer.addShader(second);
  buffer.firstPass();
  buffer.secondPass();
  EXPECT_EQ(integer(GL_CURRENT_PROGRAM), static_cast<GLint>(second->getProgramID()));
  EXPECT_EQ(samplerUnit(second, "color0"), 0);
}

TEST_F(RenderBufferTest, PassesSwitchFramebufferDepthTestAndViewport) {
  ShaderProgram* program = makeProgram(kOneColourAndDepth);
  // Smaller than the window, so the viewport the first pass sets is visible.
  RenderBuffer buffer(64, 32, 0, 1, true);
  buffer.addShader(program);
  glViewport(0, 0, kWidth, kHeight);
  glDisable(GL_DEPTH_TEST);

  buffer.firstPass();
  EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING), static_cast<GLint>(buffer.getFramebuffer()));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 64);
  EXPECT_EQ(viewport[3], 32);

  buffer.secondPass();
  buffer.draw();
  EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING), 0);
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 64) << "the second pass keeps the buffer's viewport";

  buffer.firstPass();
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderBufferTest, ComposedPictureCoversTheScreenWithLowerLeftAtTheOrigin) {
  ShaderProgram* program = makeProgram(kOneColourAndDepth);
  RenderBuffer buffer(kWidth, kHeight, 0, 1, true);
  buffer.addShader(program);
  GLfloat savedClear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, savedClear);

  // First pass: blue everywhere, red in the lower-left quadrant only.
  glClearColor(0, 0, 1, 1);
  buffer.firstPass();
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, kWidth / 2, kHeight / 2);
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  glClearColor(0, 1, 0, 1);  // the window is cleared green by secondPass, then covered

  buffer.secondPass();
  buffer.draw();
  glClearColor(savedClear[0], savedClear[1], savedClear[2], savedClear[3]);

  const std::vector<unsigned char> pixels = lb_test::readPixels(kWidth, kHeight);  // bottom row first
  auto at = [&](int x, int y) { return pixels.data() + (static_cast<size_t>(y) * kWidth + x) * 4; };
  const unsigned char* lowerLeft = at(10, 10);
  const unsigned char* upperRight = at(kWidth - 10, kHeight - 10);
  const unsigned char* lowerRight = at(kWidth - 1, 0);
  EXPECT_EQ(lowerLeft[0], 255);
  EXPECT_EQ(lowerLeft[2], 0);
  EXPECT_EQ(upperRight[0], 0);
  EXPECT_EQ(upperRight[2], 255);
  EXPECT_EQ(lowerRight[2], 255) << "the quad reaches the screen's corners";
  size_t green = 0;
  for (size_t i = 0; i < pixels.size(); i += 4) green += pixels[i + 1] > 0 ? 1 : 0;
  EXPECT_EQ(green, 0u) << "some of the window was not covered by the quad";
}

TEST_F(RenderBufferTest, RejectedFramebufferReportsOnceAndCarriesOn) {
  // A zero-sized attachment is never framebuffer-complete.
  testing::internal::CaptureStdout();
  RenderBuffer buffer(0, 0, 0, 1, true);
  std::fflush(stdout);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(buffer.getError());
  EXPECT_EQ(out, "Render to texture initialization failed\n");
  EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING), 0) << "construction hands the window back";

  RenderBuffer good(kWidth, kHeight, 0, 1, true);
  EXPECT_FALSE(good.getError());
}

TEST_F(RenderBufferTest, SecondPassWithoutAProgramSaysSoInsteadOfCrashing) {
  RenderBuffer buffer(kWidth, kHeight, 0, 1, true);
  buffer.firstPass();
  testing::internal::CaptureStderr();
  buffer.secondPass();
  buffer.draw();
  buffer.secondPass();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "render buffer: no post-processing program; the screen stays clear\n") << "said once";
  EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING), 0);
  glEnable(GL_DEPTH_TEST);
}
