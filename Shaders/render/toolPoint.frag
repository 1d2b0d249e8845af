#version 430
// The current-position marker: a disc of radius 0.2 inside a ring from 0.35
// to 0.5 (point coordinates, centre 0.5), their edges fading linearly over
// 0.05; with "plain" a plain square.
uniform vec4 markerColor;
uniform uint plain;

layout(location = 0) out vec4 fragColor;

void main() {
  if (plain != 0u) {
    fragColor = markerColor;
    return;
  }
  float r = length(gl_PointCoord - vec2(0.5));
  float disc = 1.0 - clamp((r - 0.15) / 0.05, 0.0, 1.0);
  float ringIn = clamp((r - 0.35) / 0.05, 0.0, 1.0);
  float ringOut = 1.0 - clamp((r - 0.45) / 0.05, 0.0, 1.0);
  float a = max(disc, min(ringIn, ringOut));
  if (a <= 0.0) discard;
  fragColor = vec4(markerColor.rgb, markerColor.a * a);
}
