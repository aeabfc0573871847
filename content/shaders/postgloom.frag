#version 410 core
// Composite of the opening scenes: colour plus a bloom of the glow texture,
// gathered on an 8-tap golden-angle spiral (one pass, 11 texel reads a pixel).
// The spiral is a constant table (no sine or cosine per tap) turned per pixel,
// so thin bright lines spread into a soft halo instead of a few sharp copies.
// Where nothing was drawn (depth 1) a faint night gradient fills the frame.

layout(location = 0) in vec2 vUv;

uniform sampler2D color0;
uniform sampler2D color1;
uniform sampler2D depth;

layout(location = 0) out vec4 fragColor;

// Unit-disc golden-angle spiral: point i at radius sqrt((i + 0.5) / 8).
const vec2 kSpiral[8] = vec2[8](vec2(0.2500, 0.0000), vec2(-0.3193, 0.2925), vec2(0.0489, -0.5569),
                                vec2(0.4024, 0.5249), vec2(-0.7385, -0.1306), vec2(0.6996, -0.4450),
                                vec2(-0.2340, 0.8705), vec2(-0.4463, -0.8593));

void main() {
  vec3 base = texture(color0, vUv).rgb;
  vec2 size = vec2(textureSize(color1, 0));
  // Bloom radius: 22 pixels of a 720-line frame.
  float radius = 22.0 * size.y / 720.0;
  // The spiral turns by a different eighth of a turn in each pixel of a 2x2
  // block, from a table: four times the sample positions at no extra reads.
  const vec2 kTurn[4] = vec2[4](vec2(1.0, 0.0), vec2(0.7071, 0.7071), vec2(0.0, 1.0), vec2(-0.7071, 0.7071));
  ivec2 cell = ivec2(gl_FragCoord.xy) & 1;
  vec2 cs = kTurn[cell.x + 2 * cell.y];
  mat2 spin = mat2(cs.x, cs.y, -cs.y, cs.x);
  vec2 step = radius / size;
  vec3 bloom = texture(color1, vUv).rgb * 0.5;
  float total = 0.5;
  for (int i = 0; i < 8; ++i) {
    float w = 1.0 - (float(i) + 0.5) / 8.0 * 0.8;
    bloom += texture(color1, vUv + spin * kSpiral[i] * step).rgb * w;
    total += w;
  }
  bloom /= total;
  float d = texture(depth, vUv).r;
  vec3 backdrop = mix(vec3(0.03, 0.01, 0.06), vec3(0.0, 0.05, 0.09), vUv.y);
  vec3 color = (d >= 1.0 ? backdrop : base) + bloom * 1.8;
  // Gentle vignette.
  vec2 c = vUv - 0.5;
  color *= 1.0 - dot(c, c) * 0.6;
  fragColor = vec4(color, 1.0);
}
