#version 430
// The view cube in its corner square: turned with the camera only and
// projected straight onto the square; depth keeps the near faces in front.
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;

uniform mat3 rotation;  // display frame to view
uniform float scale;    // device units per cube unit

out vec3 sCube;
flat out vec3 sNormal;

void main() {
  sCube = position;
  sNormal = normal;
  vec3 v = rotation * position;
  gl_Position = vec4(v.xy * scale, -v.z * 0.25, 1.0);
}
