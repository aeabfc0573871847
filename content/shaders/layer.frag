#version 410 core
// Title card over the finale: the picture's own alpha decides what shows through.

layout(location = 0) in vec2 vUv;

uniform sampler2D img;

layout(location = 0) out vec4 fragColor;

void main() {
  fragColor = texture(img, vUv);
}
