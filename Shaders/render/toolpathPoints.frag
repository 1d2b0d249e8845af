#version 430
// Round points at move ends only (a kind with a fractional part; interior
// arc points have none): feed and arc ends in "ColorPoint" while cuts are
// shown, rapid ends while rapids are.
flat in float sKind;

uniform vec4 ColorCut;
uniform vec4 ColorRapid;
uniform vec4 ColorPoint;

layout(location = 0) out vec4 fragColor;

void main() {
  vec2 d = gl_PointCoord - vec2(0.5);
  if (dot(d, d) > 0.25) discard;
  float f = fract(sKind);
  if (sKind > 2.5 || f < 0.01 || f > 0.99) discard;
  if ((sKind > 0.5 ? ColorCut.a : ColorRapid.a) <= 0.0) discard;
  fragColor = ColorPoint;
}
