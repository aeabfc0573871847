#version 410 core
// Composite of the render buffer: its colour ("color0") with a soft glow of
// the bright parts, a vignette, and a dark teal where nothing was drawn (depth
// 1, the cleared far plane) that brightens slowly with "time" in seconds.

layout(location = 0) in vec2 vUv;

uniform sampler2D color0;
uniform sampler2D depth;
uniform float time;

layout(location = 0) out vec4 fragColor;

void main() {
  vec2 texel = 1.0 / vec2(textureSize(color0, 0));
  vec3 base = texture(color0, vUv).rgb;
  vec3 glow = vec3(0.0);
  for (int i = -2; i <= 2; ++i) {
    glow += texture(color0, vUv + vec2(3 * i, 0) * texel).rgb + texture(color0, vUv + vec2(0, 3 * i) * texel).rgb;
  }
  glow = max(glow / 10.0 - 0.5, 0.0);
  vec3 background = vec3(0.02, 0.09, 0.1) * (1.0 + 0.5 * sin(time)) * (0.6 + 0.8 * vUv.y);
  vec3 color = texture(depth, vUv).r < 1.0 ? base + glow : background + glow;
  vec2 c = vUv - 0.5;
  fragColor = vec4(color * (1.0 - dot(c, c) * 0.8), 1.0);
}
