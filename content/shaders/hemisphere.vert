#version 410 core
// Robot scenes: "nmatrix" is the model-view matrix, so lighting is in eye space.

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;

uniform mat4 pmatrix;
uniform mat4 nmatrix;

layout(location = 0) out vec3 vEyePosition;
layout(location = 1) out vec3 vEyeNormal;
layout(location = 2) out vec2 vUv;

void main() {
  gl_Position = pmatrix * vec4(position, 1.0);
  vEyePosition = (nmatrix * vec4(position, 1.0)).xyz;
  // Model-view matrices of the show are rotations and translations only.
  vEyeNormal = mat3(nmatrix) * normal;
  vUv = uv;
}
