#pragma once
// Render-to-texture target: a framebuffer with colour textures and an optional
// depth texture, composed on screen through a post-processing program drawn on
// a full-screen Sprite. A frame runs firstPass, the scene's draws, secondPass,
// the scene's extra uniforms, draw, and then the scene re-enables depth testing.

namespace lb_engine {

class ShaderProgram;
class Sprite;

class RenderBuffer {
 public:
  unsigned int framebuffer;
  unsigned int* colourTextures;
  unsigned int depthTexture;
  int width;
  int height;
  int reserved;
  bool error;
  int colourCount;
  ShaderProgram* program;
  Sprite* sprite;

  RenderBuffer(int width, int height, int reserved, int colourCount, bool withDepth);
  ~RenderBuffer();

  unsigned int getFramebuffer() { return framebuffer; }
  unsigned int getDepth() { return depthTexture; }
  bool getError() { return error; }
  unsigned int getRenderTexture(int index);
  void addShader(ShaderProgram* p) { program = p; }
  void firstPass();
  void secondPass();
  void draw();
};

}  // namespace lb_engine
