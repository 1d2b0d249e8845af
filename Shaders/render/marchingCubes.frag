#version 430
// The voxel stock's surface, lit, with the cutting plane.
in vec3 gWorld;
in vec3 gNormal;
flat in vec4 gColor;
flat in float gSpecular;

#include "Lighting.glsl"

layout(location = 0) out vec4 fragColor;

void main() {
  if (cutAway(gWorld)) discard;
  if (insideThroughCut()) {
    fragColor = sectionColor;
    return;
  }
  fragColor = lit(gColor, gNormal, gWorld, gSpecular, vec4(1.0));
}
