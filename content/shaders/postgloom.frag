#version 410 core
// Composite of the opening scenes: colour plus a bloom of the glow texture,
// gathered on a 16-tap golden-angle spiral (one pass, 18 texel reads a pixel).
// Where nothing was drawn (depth 1) a faint night gradient fills the frame.

layout(location = 0) in vec2 vUv;

uniform sampler2D color0;
uniform sampler2D color1;
uniform sampler2D depth;

layout(location = 0) out vec4 fragColor;

void main() {
  vec3 base = texture(color0, vUv).rgb;
  vec2 texel = 1.0 / vec2(textureSize(color1, 0));
  // Bloom radius in pixels, relative to a 720-line frame.
  float radius = 22.0 * float(textureSize(color1, 0).y) / 720.0;
  // Interleaved-gradient noise turns the spiral per pixel, so thin bright lines
  // spread into a soft halo instead of a few sharp copies.
  float turn = 6.2831853 * fract(52.9829189 * fract(dot(gl_FragCoord.xy, vec2(0.06711056, 0.00583715))));
  vec3 bloom = texture(color1, vUv).rgb * 0.5;
  float total = 0.5;
  for (int i = 0; i < 16; ++i) {
    float f = (float(i) + 0.5) / 16.0;
    float r = sqrt(f) * radius;
    float a = float(i) * 2.39996 + turn;
    float w = 1.0 - f * 0.8;
    bloom += texture(color1, vUv + vec2(cos(a), sin(a)) * r * texel).rgb * w;
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
