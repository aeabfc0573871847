#version 410 core
// The engine's mesh layout: position, normal and texture coordinate at
// locations 0, 1 and 2. "pmatrix" is model * view * projection, "nmatrix"
// model * view (no scaling here, so it also turns normals into view space).

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;

uniform mat4 pmatrix;
uniform mat4 nmatrix;

layout(location = 0) out vec3 vNormal;
layout(location = 1) out vec2 vUv;

void main() {
  gl_Position = pmatrix * vec4(position, 1.0);
  vNormal = (nmatrix * vec4(normal, 0.0)).xyz;
  vUv = uv;
}
