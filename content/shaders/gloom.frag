#version 410 core
// First pass of the opening scenes: the lit colour, and the glow (the bright
// parts of the texture) that the compositing pass blooms.

layout(location = 0) in vec3 vPosition;
layout(location = 1) in vec3 vNormal;
layout(location = 2) in vec2 vUv;
layout(location = 3) in float vDistance;

uniform sampler2D img;

layout(location = 0) out vec4 color;
layout(location = 1) out vec4 glow;

void main() {
  vec3 tex = texture(img, vUv).rgb;
  vec3 n = normalize(vNormal + vec3(1e-6));
  // Key light from the upper left front, in the frame of a mesh that the
  // scenes tilt up to face the camera (its +y faces the viewer, -z is up).
  vec3 key = normalize(vec3(-0.35, 0.75, -0.55));
  float diffuse = clamp(dot(n, key), 0.0, 1.0);
  float rim = pow(1.0 - abs(n.y), 2.0);
  vec3 lit = tex * (0.45 + 0.85 * diffuse) + vec3(0.2, 0.5, 0.6) * rim * 0.25;
  float lum = dot(tex, vec3(0.299, 0.587, 0.114));
  color = vec4(lit, 1.0);
  glow = vec4(tex * smoothstep(0.45, 0.95, lum) * (0.6 + 0.4 * diffuse), 1.0);
}
