#version 410 core
// Textured surface under one white key light from the upper left and a dim
// blue ambient, in view space.

layout(location = 0) in vec3 vNormal;
layout(location = 1) in vec2 vUv;

uniform sampler2D img;

layout(location = 0) out vec4 fragColor;

void main() {
  vec3 n = normalize(vNormal);
  vec3 key = normalize(vec3(-0.5, 0.7, 0.6));
  vec3 light = vec3(0.15, 0.17, 0.25) + vec3(1.0, 0.95, 0.9) * max(dot(n, key), 0.0);
  fragColor = vec4(texture(img, vUv).rgb * light, 1.0);
}
