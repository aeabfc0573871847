#version 410 core
// The glass tube of the greetings: a partly transparent sleeve whose streaks
// drift and ripple with "time", bending the texture as a refracting wall would.
// At the top of the shaft, where the fall begins, the glass is frosted to the
// flat grey (0.6) that the scene before ends on and this one clears to, so the
// first frame continues that grey; over the first five seconds the frost lifts
// up the tube and the shaft opens out of it from the middle of the picture.
// The tube is drawn untransformed: vPosition is in world units, and "time" is
// seconds since the scene began.

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
  // Caustic bands sliding down the tube: a raised sine to the 8th power, by
  // squaring (the software rasteriser evaluates pow as exp2 and log2).
  float b = 0.5 + 0.5 * sin(vPosition.y * 0.9 + time * 2.2 + sin(vUv.x * 18.85) * 1.5);
  b *= b;
  b *= b;
  float band = b * b;
  // Thin highlights running along the tube, as window light caught on a curved
  // pane; seen from inside they draw lines towards the far end. |sin|^60 as
  // s^4 * s^8 * s^16 * s^32.
  float s1 = abs(sin(vUv.x * 3.14159265 + time * 0.15));
  float s2 = s1 * s1;
  float s4 = s2 * s2;
  float s8 = s4 * s4;
  float s16 = s8 * s8;
  float streak = s4 * s8 * s16 * (s16 * s16);
  // Far parts of the tube are seen edge-on: thicker glass, more opaque.
  float edgeOn = clamp(vDistance / 60.0, 0.0, 1.0);
  vec3 tint = vec3(0.35, 0.8, 0.95);
  vec3 color = mix(tint, vec3(1.0), t.a * 0.6 + band * 0.5);
  // Clear between the streaks, so the names behind stay crisp.
  color = mix(color, vec3(1.0), streak * 0.7);
  float alpha = clamp(t.a * t.a * 0.75 + band * 0.22 + edgeOn * 0.06 + streak * 0.35, 0.03, 0.7);
  // Frosted grey above a line that starts at 188 (clear below 172, above the
  // first names at 168) and rises 6 units a second, past the eye (which starts
  // at 200 and sinks 1 a second) within five seconds.
  float frostLow = 172.0 + 6.0 * time;
  float frost = smoothstep(frostLow, frostLow + 16.0, vPosition.y);
  color = mix(color, vec3(0.6), frost);
  alpha = mix(alpha, 1.0, frost);
  fragColor = vec4(color, alpha);
}
