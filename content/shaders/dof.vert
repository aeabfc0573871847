#version 410 core
// Full-screen quad of the depth of field. The focus (the nearest surface among
// three points in the middle of the picture) is the same for every pixel, so it
// is found here, once per corner, instead of three depth reads in every pixel.

layout(location = 0) in vec2 position;
layout(location = 1) in vec2 uv;

uniform sampler2D depth;

layout(location = 0) out vec2 vUv;
layout(location = 1) flat out float vFocus;

// The show's tunnel projection: near 0.1, far 1500.
float linearDepth(float d) {
  const float n = 0.1;
  const float f = 1500.0;
  return 2.0 * n * f / (f + n - (2.0 * d - 1.0) * (f - n));
}

void main() {
  vUv = uv;
  float focus = linearDepth(textureLod(depth, vec2(0.5, 0.5), 0.0).r);
  focus = min(focus, linearDepth(textureLod(depth, vec2(0.42, 0.5), 0.0).r));
  focus = min(focus, linearDepth(textureLod(depth, vec2(0.58, 0.5), 0.0).r));
  vFocus = clamp(focus, 3.0, 30.0);
  gl_Position = vec4(position, -0.999, 1.0);
}
