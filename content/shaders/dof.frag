#version 410 core
// Depth of field for the tunnel flight: focus on the nearest surface in the
// middle of the picture, blur the rest by its distance from that focus on a
// 12-tap spiral (one pass, 16 texel reads a pixel).

layout(location = 0) in vec2 vUv;

uniform sampler2D color0;
uniform sampler2D depth;

layout(location = 0) out vec4 fragColor;

// The show's tunnel projection: near 0.1, far 1500.
float linearDepth(float d) {
  const float n = 0.1;
  const float f = 1500.0;
  return 2.0 * n * f / (f + n - (2.0 * d - 1.0) * (f - n));
}

void main() {
  float focus = 1e9;
  focus = min(focus, linearDepth(texture(depth, vec2(0.5, 0.5)).r));
  focus = min(focus, linearDepth(texture(depth, vec2(0.42, 0.5)).r));
  focus = min(focus, linearDepth(texture(depth, vec2(0.58, 0.5)).r));
  focus = clamp(focus, 3.0, 30.0);
  float z = linearDepth(texture(depth, vUv).r);
  vec2 texel = 1.0 / vec2(textureSize(color0, 0));
  float scale = float(textureSize(color0, 0).y) / 720.0;
  float coc = clamp(abs(z - focus) / max(z, 0.1) * 1.4, 0.0, 1.0) * 8.0 * scale;
  float turn = 6.2831853 * fract(52.9829189 * fract(dot(gl_FragCoord.xy, vec2(0.06711056, 0.00583715))));
  vec3 sum = texture(color0, vUv).rgb;
  float total = 1.0;
  for (int i = 0; i < 12; ++i) {
    float f = (float(i) + 0.5) / 12.0;
    float a = float(i) * 2.39996 + turn;
    vec3 s = texture(color0, vUv + vec2(cos(a), sin(a)) * sqrt(f) * coc * texel).rgb;
    // Bright taps weigh more: out-of-focus highlights open into discs.
    float w = 1.0 + 2.0 * dot(s, vec3(0.3, 0.6, 0.1));
    sum += s * w;
    total += w;
  }
  vec3 color = sum / total;
  vec2 c = vUv - 0.5;
  color *= 1.0 - dot(c, c) * 0.5;
  fragColor = vec4(color, 1.0);
}
