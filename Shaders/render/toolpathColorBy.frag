#version 430
// Segments in their move's value colour; hidden moves never, straight feeds
// and rapids as their switches say, arcs always.
flat in float sKind;
flat in vec4 sColor;

uniform uint showRapid;
uniform uint showCutting;

layout(location = 0) out vec4 fragColor;

void main() {
  if (sKind > 2.5) discard;
  if (sKind > 0.5 && sKind < 1.5 && showCutting == 0u) discard;
  if (sKind <= 0.5 && showRapid == 0u) discard;
  fragColor = sColor;
}
