#pragma once
// The full-screen quad: four vertices drawn as a triangle fan, attribute 0 the
// NDC position (2 floats), attribute 1 the texture coordinate (2 floats),
// (0, 0) at the lower-left corner of the screen.

namespace lb_engine {

class Sprite {
 public:
  unsigned int vertexArray;
  unsigned int buffers[2];

  Sprite();
  ~Sprite();
  void draw();
  unsigned int getVAO() { return vertexArray; }
};

}  // namespace lb_engine
