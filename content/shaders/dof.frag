#version 410 core
// Depth of field for the tunnel flight: focus on the nearest surface in the
// middle of the picture, blur the rest by its distance from that focus on an
// 8-tap spiral (one pass, at most 13 texel reads a pixel). The spiral is a
// constant table (no sine or cosine per tap) turned per pixel. Pixels whose
// blur is under half a pixel skip the taps: the loop's trip count drops to 0,
// and the software rasteriser leaves a loop as soon as no pixel of its block
// needs another round.

layout(location = 0) in vec2 vUv;

uniform sampler2D color0;
uniform sampler2D depth;

layout(location = 0) out vec4 fragColor;

// Unit-disc golden-angle spiral: point i at radius sqrt((i + 0.5) / 8).
const vec2 kSpiral[8] = vec2[8](vec2(0.2500, 0.0000), vec2(-0.3193, 0.2925), vec2(0.0489, -0.5569),
                                vec2(0.4024, 0.5249), vec2(-0.7385, -0.1306), vec2(0.6996, -0.4450),
                                vec2(-0.2340, 0.8705), vec2(-0.4463, -0.8593));

// The show's tunnel projection: near 0.1, far 1500.
float linearDepth(float d) {
  const float n = 0.1;
  const float f = 1500.0;
  return 2.0 * n * f / (f + n - (2.0 * d - 1.0) * (f - n));
}

void main() {
  float focus = linearDepth(texture(depth, vec2(0.5, 0.5)).r);
  focus = min(focus, linearDepth(texture(depth, vec2(0.42, 0.5)).r));
  focus = min(focus, linearDepth(texture(depth, vec2(0.58, 0.5)).r));
  focus = clamp(focus, 3.0, 30.0);
  float z = linearDepth(texture(depth, vUv).r);
  vec2 size = vec2(textureSize(color0, 0));
  // Circle of confusion: up to 8 pixels of a 720-line frame.
  float coc = clamp(abs(z - focus) / max(z, 0.1) * 1.4, 0.0, 1.0) * 8.0 * size.y / 720.0;
  // The spiral turns by a different eighth of a turn in each pixel of a 2x2
  // block, from a table: four times the sample positions at no extra reads.
  const vec2 kTurn[4] = vec2[4](vec2(1.0, 0.0), vec2(0.7071, 0.7071), vec2(0.0, 1.0), vec2(-0.7071, 0.7071));
  ivec2 cell = ivec2(gl_FragCoord.xy) & 1;
  vec2 cs = kTurn[cell.x + 2 * cell.y];
  mat2 spin = mat2(cs.x, cs.y, -cs.y, cs.x);
  vec2 step = coc / size;
  vec3 sum = texture(color0, vUv).rgb;
  float total = 1.0;
  int taps = coc < 0.5 ? 0 : 8;
  for (int i = 0; i < taps; ++i) {
    vec3 s = texture(color0, vUv + spin * kSpiral[i] * step).rgb;
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
