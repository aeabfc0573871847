#version 410 core
// Lit, textured surfaces: a soft key light and a cool fill in the mesh's frame,
// bright texels glowing by themselves, and a night-blue fog with distance.

layout(location = 0) in vec3 vPosition;
layout(location = 1) in vec3 vNormal;
layout(location = 2) in vec2 vUv;
layout(location = 3) in float vDistance;

uniform sampler2D img;

layout(location = 0) out vec4 fragColor;

void main() {
  vec3 tex = texture(img, vUv).rgb;
  vec3 n = normalize(vNormal + vec3(1e-6));
  vec3 key = normalize(vec3(0.45, 0.8, 0.4));
  // A cool ambient keeps faces turned away from the key readable.
  float diffuse = max(dot(n, key), 0.0);
  float fill = 0.5 + 0.5 * n.y;
  vec3 light = vec3(0.34, 0.38, 0.48) + vec3(1.0, 0.93, 0.85) * diffuse * 0.8 + vec3(0.2, 0.3, 0.45) * fill * 0.3;
  float lum = dot(tex, vec3(0.299, 0.587, 0.114));
  float glow = smoothstep(0.55, 0.95, lum);
  vec3 color = tex * light + tex * glow * 0.9;
  float fog = exp(-max(vDistance, 0.0) * 0.008);
  color = mix(vec3(0.01, 0.015, 0.04), color, fog);
  fragColor = vec4(color, 1.0);
}
