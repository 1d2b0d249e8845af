#version 430
// Tool-axis segments in "ColorVector", shown where points would be: at the
// ends of feed and arc moves while cuts are shown, of rapids while rapids are.
flat in float sKind;

uniform vec4 ColorCut;
uniform vec4 ColorRapid;
uniform vec4 ColorVector;

layout(location = 0) out vec4 fragColor;

void main() {
  float f = fract(sKind);
  if (sKind > 2.5 || f < 0.01 || f > 0.99) discard;
  if ((sKind > 0.5 ? ColorCut.a : ColorRapid.a) <= 0.0) discard;
  fragColor = ColorVector;
}
