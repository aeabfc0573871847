#version 410 core
// The engine's full-screen quad: position in normalised device coordinates
// at location 0, texture coordinate (0, 0 at the lower left) at location 1.

layout(location = 0) in vec2 position;
layout(location = 1) in vec2 uv;

layout(location = 0) out vec2 vUv;

void main() {
  vUv = uv;
  gl_Position = vec4(position, 0.0, 1.0);
}
