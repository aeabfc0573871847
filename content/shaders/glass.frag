#version 410 core
// The glass tube of the greetings: a partly transparent sleeve whose streaks
// drift and ripple with "time", bending the texture as a refracting wall would.

layout(location = 0) in vec3 vPosition;
layout(location = 1) in vec3 vNormal;
layout(location = 2) in vec2 vUv;
layout(location = 3) in float vDistance;

uniform sampler2D glasstex;
uniform float time;

layout(location = 0) out vec4 fragColor;

void main() {
  // Refraction-like warp: the lookup wobbles with the wall's height and time.
  vec2 warp = vec2(sin(vUv.y * 9.0 + time * 1.7), cos(vUv.x * 11.0 - time * 1.3)) * 0.035;
  vec2 uv = vUv + warp + vec2(time * 0.02, time * 0.15);
  vec4 t = texture(glasstex, uv);
  // Caustic bands sliding down the tube.
  float band = pow(0.5 + 0.5 * sin(vPosition.y * 0.9 + time * 2.2 + sin(vUv.x * 18.85) * 1.5), 8.0);
  // Thin highlights running along the tube, as window light caught on a curved
  // pane; seen from inside they draw lines towards the far end.
  float streak = pow(abs(sin(vUv.x * 3.14159265 + time * 0.15)), 60.0);
  // Far parts of the tube are seen edge-on: thicker glass, more opaque.
  float edgeOn = clamp(vDistance / 60.0, 0.0, 1.0);
  vec3 tint = vec3(0.35, 0.8, 0.95);
  vec3 color = mix(tint, vec3(1.0), t.a * 0.6 + band * 0.5);
  // Clear between the streaks, so the names behind stay crisp.
  color = mix(color, vec3(1.0), streak * 0.7);
  float alpha = clamp(t.a * t.a * 0.75 + band * 0.22 + edgeOn * 0.06 + streak * 0.35, 0.03, 0.7);
  fragColor = vec4(color, alpha);
}
