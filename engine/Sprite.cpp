#include "Sprite.h"

#include "Gl.h"

namespace lb_engine {

Sprite::Sprite() : vertexArray(0), buffers{0, 0} {
  static const float kPositions[8] = {-1, -1, 1, -1, 1, 1, -1, 1};
  static const float kTexCoords[8] = {0, 0, 1, 0, 1, 1, 0, 1};
  glGenVertexArrays(1, &vertexArray);
  glBindVertexArray(vertexArray);
  glGenBuffers(2, buffers);
  glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
  glBufferData(GL_ARRAY_BUFFER, sizeof(kPositions), kPositions, GL_STATIC_DRAW);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
  glEnableVertexAttribArray(0);
  glBindBuffer(GL_ARRAY_BUFFER, buffers[1]);
  glBufferData(GL_ARRAY_BUFFER, sizeof(kTexCoords), kTexCoords, GL_STATIC_DRAW);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
  glEnableVertexAttribArray(1);
}

Sprite::~Sprite() {
  glDeleteBuffers(2, buffers);
  glDeleteVertexArrays(1, &vertexArray);
}

void Sprite::draw() {
  glBindVertexArray(vertexArray);
  glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
}

}  // namespace lb_engine
