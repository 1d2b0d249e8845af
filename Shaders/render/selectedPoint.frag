#version 430
// A round point in the selection colour with a thin dark rim, so it reads
// on light and dark backgrounds alike.
uniform vec4 ColorSelected;

layout(location = 0) out vec4 fragColor;

void main() {
  vec2 d = gl_PointCoord - vec2(0.5);
  float r2 = dot(d, d);
  if (r2 > 0.25) discard;
  fragColor = r2 > 0.16 ? vec4(ColorSelected.rgb * 0.35, ColorSelected.a) : ColorSelected;
}
