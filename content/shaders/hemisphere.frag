#version 410 core
// Hemisphere light (cool sky above, warm bounce below) with a teal rim on
// silhouettes, glowing bright texels and fog down the corridor.

layout(location = 0) in vec3 vEyePosition;
layout(location = 1) in vec3 vEyeNormal;
layout(location = 2) in vec2 vUv;

uniform sampler2D img;

layout(location = 0) out vec4 fragColor;

void main() {
  vec3 tex = texture(img, vUv).rgb;
  vec3 n = normalize(vEyeNormal + vec3(1e-6));
  vec3 v = normalize(-vEyePosition);
  if (dot(n, v) < 0.0) n = -n;
  vec3 sky = vec3(0.62, 0.72, 0.95);
  vec3 ground = vec3(0.22, 0.14, 0.12);
  vec3 hemi = mix(ground, sky, 0.5 + 0.5 * n.y);
  vec3 key = normalize(vec3(0.4, 0.7, 0.6));
  float diffuse = max(dot(n, key), 0.0);
  vec3 h = normalize(key + v);
  // Powers by multiplication: the software rasteriser evaluates pow as exp2
  // and log2, several times the cost. spec: x^40 = x^32 * x^8; rim: y^3.
  float x1 = max(dot(n, h), 0.0);
  float x2 = x1 * x1;
  float x4 = x2 * x2;
  float x8 = x4 * x4;
  float x32 = (x8 * x8) * (x8 * x8);
  float spec = x32 * x8 * 0.35;
  float y1 = 1.0 - max(dot(n, v), 0.0);
  float rim = y1 * y1 * y1;
  float lum = dot(tex, vec3(0.299, 0.587, 0.114));
  float glow = smoothstep(0.55, 0.95, lum);
  vec3 color = tex * (hemi * 0.75 + vec3(1.0, 0.92, 0.8) * diffuse * 0.6) + vec3(spec) +
               vec3(0.25, 0.85, 0.95) * rim * 0.45 + tex * glow * 0.8;
  float fog = exp(-length(vEyePosition) * 0.012);
  color = mix(vec3(0.01, 0.015, 0.04), color, fog);
  fragColor = vec4(color, 1.0);
}
