#version 410 core
// Title card over the finale, whole and undistorted on any screen shape: the
// picture keeps its own proportions, scaled to fit inside the screen and
// centred; around it the scene shows untouched. The picture's own alpha
// decides what shows through within it.
//
// The screen's shape comes from the quad itself: its texture coordinate runs
// 0..1 across the screen, so its change from one pixel to the next is
// 1 / width along x and 1 / height along y.

layout(location = 0) in vec2 vUv;

uniform sampler2D img;

layout(location = 0) out vec4 fragColor;

void main() {
  vec2 perPixel = abs(vec2(dFdx(vUv.x), dFdy(vUv.y)));
  float screenAspect = perPixel.y / perPixel.x;  // width / height
  vec2 size = vec2(textureSize(img, 0));
  float imageAspect = size.x / size.y;
  // Share of the screen the picture covers in x and y: all of the tighter one.
  vec2 extent = screenAspect > imageAspect ? vec2(imageAspect / screenAspect, 1.0)
                                           : vec2(1.0, screenAspect / imageAspect);
  vec2 uv = (vUv - 0.5) / extent + 0.5;
  if (any(lessThan(uv, vec2(0.0))) || any(greaterThan(uv, vec2(1.0)))) discard;
  fragColor = texture(img, uv);
}
