#version 430
// A move's id (its index, 30 bits) on a round sprite, only at move ends:
// kinds with a fractional part up to 2.5; interior arc points have none.
// Rapid ends and feed or arc ends take part only while they are shown.
flat in float sKind;
flat in int sMove;

uniform bool showRapid;
uniform bool showCutting;

layout(location = 0) out uint entityId;

void main() {
  vec2 d = gl_PointCoord - vec2(0.5);
  if (dot(d, d) > 0.25) discard;
  float f = fract(sKind);
  if (sKind > 2.5 || f < 0.01 || f > 0.99) discard;
  if (!(sKind > 0.5 ? showCutting : showRapid)) discard;
  entityId = uint(sMove) & 0x3FFFFFFFu;
}
