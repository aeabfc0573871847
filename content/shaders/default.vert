#version 410 core
// Lit, textured surfaces ("default"): the light and the fog are worked out per
// vertex and interpolated, which leaves the fragment shader a texture read and
// a few multiply-adds. Both vary slowly across a triangle of the show's
// meshes: faces are flat or have normals a few degrees apart, and the fog
// factor changes by far less than a 255th of its value along any edge.
// Lighting happens in the mesh's own frame, as in the other mesh programs.

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;

uniform mat4 pmatrix;

layout(location = 0) out vec3 vLight;
layout(location = 1) out vec2 vUv;
layout(location = 2) out float vFog;

void main() {
  vec4 clip = pmatrix * vec4(position, 1.0);
  gl_Position = clip;
  // A soft key light and a cool fill; a cool ambient keeps faces turned away
  // from the key readable.
  vec3 n = normalize(normal + vec3(1e-6));
  vec3 key = normalize(vec3(0.45, 0.8, 0.4));
  float diffuse = max(dot(n, key), 0.0);
  float fill = 0.5 + 0.5 * n.y;
  vLight = vec3(0.34, 0.38, 0.48) + vec3(1.0, 0.93, 0.85) * diffuse * 0.8 + vec3(0.2, 0.3, 0.45) * fill * 0.3;
  // Night-blue fog with the distance along the view axis (clip-space w).
  vFog = exp(-max(clip.w, 0.0) * 0.008);
  vUv = uv;
}
