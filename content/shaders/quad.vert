#version 410 core
// Full-screen quad: position in normalised device coordinates, texture
// coordinate (0,0) at the lower left. Placed on the near plane so an overlay
// drawn with depth testing on lies over everything.

layout(location = 0) in vec2 position;
layout(location = 1) in vec2 uv;

layout(location = 0) out vec2 vUv;

void main() {
  vUv = uv;
  gl_Position = vec4(position, -0.999, 1.0);
}
