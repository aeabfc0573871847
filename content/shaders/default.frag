#version 410 core
// Lit, textured surfaces: the light and the fog come from default.vert; bright
// texels glow by themselves, and the fog fades everything to night blue.

layout(location = 0) in vec3 vLight;
layout(location = 1) in vec2 vUv;
layout(location = 2) in float vFog;

uniform sampler2D img;

layout(location = 0) out vec4 fragColor;

void main() {
  vec3 tex = texture(img, vUv).rgb;
  float lum = dot(tex, vec3(0.299, 0.587, 0.114));
  float glow = smoothstep(0.55, 0.95, lum);
  vec3 color = tex * (vLight + glow * 0.9);
  color = mix(vec3(0.01, 0.015, 0.04), color, vFog);
  fragColor = vec4(color, 1.0);
}
