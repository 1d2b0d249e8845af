#version 430
// The gnomon's axes in their corner square: turned with the camera only,
// depth flattened (z = 0, w = 1) so no axis hides another.
layout(location = 0) in vec3 position;
layout(location = 1) in vec4 color;

uniform mat3 rotation;  // display frame to view
uniform float scale;    // device units per axis unit

out vec4 sColor;

void main() {
  sColor = color;
  vec3 v = rotation * position;
  gl_Position = vec4(v.xy * scale, 0.0, 1.0);
}
