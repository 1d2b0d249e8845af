#version 430
// The tool and its holder, lit like the machine with half the vertex's
// shininess; parts whose tag bit is set in "colorizeTypes" are tinted
// towards "colorizeColor" (collided or highlighted parts). With the
// cutting plane on, the far side is cut away and inner faces are lit.
in vec3 sWorld;
in vec3 sNormal;
in vec4 sColour;
in float sShine;
flat in uint sPart;

uniform vec4 lightColor;
uniform vec4 colorizeColor;
uniform float colorizeFrac;
uniform uint colorizeTypes;
uniform float colorizeShininess;

#include "Lighting.glsl"

layout(location = 0) out vec4 fragColor;

void main() {
  if (cutAway(sWorld)) discard;
  vec3 n = normalize(sNormal);
  if (cuttingPlaneEnabled && dot(n, normalize(lightDir)) < 0.0) n = -n;
  vec4 c = sColour;
  float k = sShine;  // the lighting uses half of it
  if ((colorizeTypes & (1u << sPart)) != 0u) {
    c = mix(c, colorizeColor, colorizeFrac);
    k = mix(k, colorizeShininess, colorizeFrac);
  }
  fragColor = litDimmed(c, n, sWorld, k, lightColor, 0.0);
}
