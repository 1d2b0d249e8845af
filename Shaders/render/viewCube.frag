#version 430
// A fragment belongs to a face, an edge or a corner by how many of its
// coordinates lie within the border of +-1; the element under the cursor
// ("hoveredSign", "hoveredCount"; count 0 for none) is drawn in the
// highlight colour.
in vec3 sCube;
flat in vec3 sNormal;

uniform float border;
uniform ivec3 hoveredSign;
uniform int hoveredCount;
uniform vec4 baseColor;
uniform vec4 highlightColor;
uniform vec3 lightDir;  // cube frame

layout(location = 0) out vec4 fragColor;

void main() {
  ivec3 s = ivec3(0);
  int count = 0;
  for (int i = 0; i < 3; ++i) {
    if (abs(sCube[i]) >= 1.0 - border) {
      s[i] = sCube[i] > 0.0 ? 1 : -1;
      ++count;
    }
  }
  bool hovered = hoveredCount > 0 && count == hoveredCount && s == hoveredSign;
  vec4 c = hovered ? highlightColor : baseColor;
  float light = 0.55 + 0.45 * max(dot(normalize(sNormal), normalize(lightDir)), 0.0);
  fragColor = vec4(c.rgb * light, c.a);
}
