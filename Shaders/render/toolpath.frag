#version 430
// Toolpath segments in the colour of their kind: rapids, straight feeds,
// arcs; hidden moves and classes whose colour has no alpha are left out.
flat in float sKind;

uniform vec4 ColorCut;
uniform vec4 ColorArc;
uniform vec4 ColorRapid;

layout(location = 0) out vec4 fragColor;

void main() {
  if (sKind > 2.5) discard;
  vec4 c = sKind > 1.5 ? ColorArc : sKind > 0.5 ? ColorCut : ColorRapid;
  if (c.a <= 0.0) discard;
  fragColor = c;
}
