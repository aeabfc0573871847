#version 410 core
// Sinkhole composite: a small cross-shaped glow of the hot cracks, a vignette,
// and "fade" going from 0 to 1 turns the picture into the flat grey (0.6) that
// the next scene clears to; distant parts fade first. 6 texel reads a pixel.

layout(location = 0) in vec2 vUv;

uniform sampler2D color0;
uniform sampler2D depth;
uniform float fade;

layout(location = 0) out vec4 fragColor;

void main() {
  vec2 texel = 1.0 / vec2(textureSize(color0, 0));
  float s = 3.0 * float(textureSize(color0, 0).y) / 720.0;
  vec3 base = texture(color0, vUv).rgb;
  vec3 glow = texture(color0, vUv + vec2(s, s) * texel).rgb + texture(color0, vUv + vec2(-s, s) * texel).rgb +
              texture(color0, vUv + vec2(s, -s) * texel).rgb + texture(color0, vUv + vec2(-s, -s) * texel).rgb;
  glow = max(glow * 0.25 - 0.45, 0.0);
  vec3 color = base + glow * 0.8;
  vec2 c = vUv - 0.5;
  color *= 1.0 - dot(c, c) * 0.7;
  float d = texture(depth, vUv).r;
  float far = smoothstep(0.9, 1.0, d);
  float f = clamp(fade + fade * (1.0 - fade) * far, 0.0, 1.0);
  fragColor = vec4(mix(color, vec3(0.6), f), 1.0);
}
