#pragma once
// The GL state the show's scenes hand on from frame to frame and scene to scene
// (clear colour, depth test, blending, the current program, texture bindings on
// every unit, viewport, framebuffers, pixel-store state and the rest), captured
// as values so that the director's player can put it back after drawing its
// overlay, reloading assets or reading a screenshot. Scenes never see the
// difference.
//
// Capture costs a few hundred glGet calls (one pair per texture unit); the
// overlay benchmark includes it.

#include <array>
#include <string>
#include <vector>

namespace lb_dev {

struct GlState {
  std::array<float, 4> clearColor{};
  double clearDepth = 1.0;
  bool depthTest = false, blend = false, cullFace = false, scissorTest = false, stencilTest = false,
       programPointSize = false, primitiveRestart = false;
  int blendSrcRgb = 0, blendDstRgb = 0, blendSrcAlpha = 0, blendDstAlpha = 0;
  int blendEquationRgb = 0, blendEquationAlpha = 0;
  int depthFunc = 0;
  bool depthMask = true;
  std::array<bool, 4> colorMask{};
  std::array<int, 4> viewport{};
  std::array<int, 4> scissorBox{};
  int polygonMode = 0;
  int cullFaceMode = 0, frontFace = 0;
  int program = 0;
  int activeTexture = 0;
  std::vector<int> texture2D;  // GL_TEXTURE_BINDING_2D of every unit, from unit 0
  std::vector<int> samplers;   // GL_SAMPLER_BINDING of every unit
  int vertexArray = 0, arrayBuffer = 0;
  int drawFramebuffer = 0, readFramebuffer = 0, renderbuffer = 0;
  int packAlignment = 0, unpackAlignment = 0, unpackRowLength = 0, unpackSkipPixels = 0, unpackSkipRows = 0;

  bool operator==(const GlState& other) const;
  bool operator!=(const GlState& other) const { return !(*this == other); }
};

GlState captureGlState();
void restoreGlState(const GlState& state);

// The fields in which `a` and `b` differ, as "name: a -> b" lines (for tests).
std::string describeGlStateDifference(const GlState& a, const GlState& b);

// Captures on construction, restores on destruction.
class GlStateGuard {
 public:
  GlStateGuard() : saved_(captureGlState()) {}
  ~GlStateGuard() { restoreGlState(saved_); }
  GlStateGuard(const GlStateGuard&) = delete;
  GlStateGuard& operator=(const GlStateGuard&) = delete;

 private:
  GlState saved_;
};

}  // namespace lb_dev
