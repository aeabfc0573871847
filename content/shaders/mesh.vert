#version 410 core
// Mesh programs without a normal matrix ("gloom", "default", "glass"): lighting
// happens in the mesh's own frame, and the clip-space w (the distance along the
// view axis for every perspective projection of the show) drives fog and glow.

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;

uniform mat4 pmatrix;

layout(location = 0) out vec3 vPosition;
layout(location = 1) out vec3 vNormal;
layout(location = 2) out vec2 vUv;
layout(location = 3) out float vDistance;

void main() {
  vec4 clip = pmatrix * vec4(position, 1.0);
  gl_Position = clip;
  vPosition = position;
  vNormal = normal;
  vUv = uv;
  vDistance = clip.w;
}
