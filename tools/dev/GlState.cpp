#include "GlState.h"

#include "Gl.h"

#include <algorithm>
#include <sstream>

namespace lb_dev {

namespace {

// The show binds up to unit 66 in one frame; every unit the driver offers is
// kept, up to a bound that keeps the capture cheap on drivers with hundreds.
const int kMaxUnits = 96;

int getInt(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value;
}

void setEnabled(GLenum cap, bool on) {
  if (on) {
    glEnable(cap);
  } else {
    glDisable(cap);
  }
}

int unitCount() { return std::min(getInt(GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS), kMaxUnits); }

// A piece of state read and set by one GL enum, the GlState field that holds
// it and the name a difference report uses.
template <typename T>
struct Field {
  GLenum name;
  T GlState::*field;
  const char* label;
};

// The glEnable capabilities kept.
const Field<bool> kCapabilities[] = {
    {GL_DEPTH_TEST, &GlState::depthTest, "depth test"},
    {GL_BLEND, &GlState::blend, "blend"},
    {GL_CULL_FACE, &GlState::cullFace, "cull face"},
    {GL_SCISSOR_TEST, &GlState::scissorTest, "scissor test"},
    {GL_STENCIL_TEST, &GlState::stencilTest, "stencil test"},
    {GL_PROGRAM_POINT_SIZE, &GlState::programPointSize, "program point size"},
    {GL_PRIMITIVE_RESTART, &GlState::primitiveRestart, "primitive restart"},
};

// The glPixelStorei parameters kept; each reads back under the same name.
const Field<int> kPixelStores[] = {
    {GL_PACK_ALIGNMENT, &GlState::packAlignment, "pack alignment"},
    {GL_UNPACK_ALIGNMENT, &GlState::unpackAlignment, "unpack alignment"},
    {GL_UNPACK_ROW_LENGTH, &GlState::unpackRowLength, "unpack row length"},
    {GL_UNPACK_SKIP_PIXELS, &GlState::unpackSkipPixels, "unpack skip pixels"},
    {GL_UNPACK_SKIP_ROWS, &GlState::unpackSkipRows, "unpack skip rows"},
};

}  // namespace

bool GlState::operator==(const GlState& o) const {
  return clearColor == o.clearColor && clearDepth == o.clearDepth && depthTest == o.depthTest &&
         blend == o.blend && cullFace == o.cullFace && scissorTest == o.scissorTest &&
         stencilTest == o.stencilTest && programPointSize == o.programPointSize &&
         primitiveRestart == o.primitiveRestart && blendSrcRgb == o.blendSrcRgb && blendDstRgb == o.blendDstRgb &&
         blendSrcAlpha == o.blendSrcAlpha && blendDstAlpha == o.blendDstAlpha &&
         blendEquationRgb == o.blendEquationRgb && blendEquationAlpha == o.blendEquationAlpha &&
         depthFunc == o.depthFunc && depthMask == o.depthMask && colorMask == o.colorMask &&
         viewport == o.viewport && scissorBox == o.scissorBox && polygonMode == o.polygonMode &&
         cullFaceMode == o.cullFaceMode && frontFace == o.frontFace && program == o.program &&
         activeTexture == o.activeTexture && texture2D == o.texture2D && samplers == o.samplers &&
         vertexArray == o.vertexArray && arrayBuffer == o.arrayBuffer && drawFramebuffer == o.drawFramebuffer &&
         readFramebuffer == o.readFramebuffer && renderbuffer == o.renderbuffer &&
         packAlignment == o.packAlignment && unpackAlignment == o.unpackAlignment &&
         unpackRowLength == o.unpackRowLength && unpackSkipPixels == o.unpackSkipPixels &&
         unpackSkipRows == o.unpackSkipRows;
}

GlState captureGlState() {
  GlState s;
  glGetFloatv(GL_COLOR_CLEAR_VALUE, s.clearColor.data());
  glGetDoublev(GL_DEPTH_CLEAR_VALUE, &s.clearDepth);
  for (const Field<bool>& c : kCapabilities) s.*c.field = glIsEnabled(c.name) == GL_TRUE;
  s.blendSrcRgb = getInt(GL_BLEND_SRC_RGB);
  s.blendDstRgb = getInt(GL_BLEND_DST_RGB);
  s.blendSrcAlpha = getInt(GL_BLEND_SRC_ALPHA);
  s.blendDstAlpha = getInt(GL_BLEND_DST_ALPHA);
  s.blendEquationRgb = getInt(GL_BLEND_EQUATION_RGB);
  s.blendEquationAlpha = getInt(GL_BLEND_EQUATION_ALPHA);
  s.depthFunc = getInt(GL_DEPTH_FUNC);
  GLboolean mask = GL_TRUE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
  s.depthMask = mask == GL_TRUE;
  GLboolean colors[4] = {GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE};
  glGetBooleanv(GL_COLOR_WRITEMASK, colors);
  for (int i = 0; i < 4; ++i) s.colorMask[i] = colors[i] == GL_TRUE;
  glGetIntegerv(GL_VIEWPORT, s.viewport.data());
  glGetIntegerv(GL_SCISSOR_BOX, s.scissorBox.data());
  GLint polygon[2] = {GL_FILL, GL_FILL};
  glGetIntegerv(GL_POLYGON_MODE, polygon);
  s.polygonMode = polygon[0];
  s.cullFaceMode = getInt(GL_CULL_FACE_MODE);
  s.frontFace = getInt(GL_FRONT_FACE);
  s.program = getInt(GL_CURRENT_PROGRAM);
  s.activeTexture = getInt(GL_ACTIVE_TEXTURE);
  const int units = unitCount();
  s.texture2D.resize(units);
  s.samplers.resize(units);
  for (int unit = 0; unit < units; ++unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    s.texture2D[unit] = getInt(GL_TEXTURE_BINDING_2D);
    s.samplers[unit] = getInt(GL_SAMPLER_BINDING);
  }
  glActiveTexture(s.activeTexture);
  s.vertexArray = getInt(GL_VERTEX_ARRAY_BINDING);
  s.arrayBuffer = getInt(GL_ARRAY_BUFFER_BINDING);
  s.drawFramebuffer = getInt(GL_DRAW_FRAMEBUFFER_BINDING);
  s.readFramebuffer = getInt(GL_READ_FRAMEBUFFER_BINDING);
  s.renderbuffer = getInt(GL_RENDERBUFFER_BINDING);
  for (const Field<int>& p : kPixelStores) s.*p.field = getInt(p.name);
  return s;
}

void restoreGlState(const GlState& s) {
  glClearColor(s.clearColor[0], s.clearColor[1], s.clearColor[2], s.clearColor[3]);
  glClearDepth(s.clearDepth);
  for (const Field<bool>& c : kCapabilities) setEnabled(c.name, s.*c.field);
  glBlendFuncSeparate(s.blendSrcRgb, s.blendDstRgb, s.blendSrcAlpha, s.blendDstAlpha);
  glBlendEquationSeparate(s.blendEquationRgb, s.blendEquationAlpha);
  glDepthFunc(s.depthFunc);
  glDepthMask(s.depthMask ? GL_TRUE : GL_FALSE);
  glColorMask(s.colorMask[0], s.colorMask[1], s.colorMask[2], s.colorMask[3]);
  glViewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
  glScissor(s.scissorBox[0], s.scissorBox[1], s.scissorBox[2], s.scissorBox[3]);
  glPolygonMode(GL_FRONT_AND_BACK, s.polygonMode);
  glCullFace(s.cullFaceMode);
  glFrontFace(s.frontFace);
  glUseProgram(s.program);
  for (size_t unit = 0; unit < s.texture2D.size(); ++unit) {
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glBindTexture(GL_TEXTURE_2D, s.texture2D[unit]);
    glBindSampler(static_cast<GLuint>(unit), s.samplers[unit]);
  }
  glActiveTexture(s.activeTexture);
  glBindVertexArray(s.vertexArray);
  glBindBuffer(GL_ARRAY_BUFFER, s.arrayBuffer);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, s.drawFramebuffer);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, s.readFramebuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, s.renderbuffer);
  for (const Field<int>& p : kPixelStores) glPixelStorei(p.name, s.*p.field);
}

namespace {

template <typename T>
void compare(std::ostringstream& out, const char* name, const T& a, const T& b) {
  if (a != b) out << name << " differs\n";
}

void compareInt(std::ostringstream& out, const char* name, int a, int b) {
  if (a != b) out << name << ": " << a << " -> " << b << "\n";
}

}  // namespace

std::string describeGlStateDifference(const GlState& a, const GlState& b) {
  std::ostringstream out;
  compare(out, "clear colour", a.clearColor, b.clearColor);
  compare(out, "clear depth", a.clearDepth, b.clearDepth);
  for (const Field<bool>& c : kCapabilities) compare(out, c.label, a.*c.field, b.*c.field);
  compareInt(out, "blend src rgb", a.blendSrcRgb, b.blendSrcRgb);
  compareInt(out, "blend dst rgb", a.blendDstRgb, b.blendDstRgb);
  compareInt(out, "blend src alpha", a.blendSrcAlpha, b.blendSrcAlpha);
  compareInt(out, "blend dst alpha", a.blendDstAlpha, b.blendDstAlpha);
  compareInt(out, "blend equation rgb", a.blendEquationRgb, b.blendEquationRgb);
  compareInt(out, "blend equation alpha", a.blendEquationAlpha, b.blendEquationAlpha);
  compareInt(out, "depth func", a.depthFunc, b.depthFunc);
  compare(out, "depth mask", a.depthMask, b.depthMask);
  compare(out, "colour mask", a.colorMask, b.colorMask);
  compare(out, "viewport", a.viewport, b.viewport);
  compare(out, "scissor box", a.scissorBox, b.scissorBox);
  compareInt(out, "polygon mode", a.polygonMode, b.polygonMode);
  compareInt(out, "cull face mode", a.cullFaceMode, b.cullFaceMode);
  compareInt(out, "front face", a.frontFace, b.frontFace);
  compareInt(out, "current program", a.program, b.program);
  compareInt(out, "active texture", a.activeTexture, b.activeTexture);
  for (size_t i = 0; i < std::min(a.texture2D.size(), b.texture2D.size()); ++i) {
    if (a.texture2D[i] != b.texture2D[i])
      out << "texture unit " << i << ": " << a.texture2D[i] << " -> " << b.texture2D[i] << "\n";
    if (a.samplers[i] != b.samplers[i])
      out << "sampler unit " << i << ": " << a.samplers[i] << " -> " << b.samplers[i] << "\n";
  }
  compareInt(out, "vertex array", a.vertexArray, b.vertexArray);
  compareInt(out, "array buffer", a.arrayBuffer, b.arrayBuffer);
  compareInt(out, "draw framebuffer", a.drawFramebuffer, b.drawFramebuffer);
  compareInt(out, "read framebuffer", a.readFramebuffer, b.readFramebuffer);
  compareInt(out, "renderbuffer", a.renderbuffer, b.renderbuffer);
  for (const Field<int>& p : kPixelStores) compareInt(out, p.label, a.*p.field, b.*p.field);
  return out.str();
}

}  // namespace lb_dev
