#version 430
// A machine model in its colour, lit like the stock but with its own dim
// factor and shininess, tinted towards "colorizeColor" when tagged (a part
// in collision), and cut by the cutting plane. Normals facing away from the
// light are turned towards it, so inner and open faces are lit too.
in vec3 sWorld;
in vec3 sNormal;

uniform vec4 lightColor;
uniform vec4 baseColor;
uniform float shininess;
uniform float dimFactor;
uniform vec4 colorizeColor;
uniform float colorizeFrac;

#include "Lighting.glsl"

layout(location = 0) out vec4 fragColor;

void main() {
  if (cutAway(sWorld)) discard;
  vec3 n = normalize(sNormal);
  if (dot(n, normalize(lightDir)) < 0.0) n = -n;
  vec4 c = mix(baseColor, colorizeColor, colorizeFrac);
  fragColor = litDimmed(c, n, sWorld, shininess, lightColor, dimFactor);
}
