#version 430
// A tool-axis segment's end: position and the kind of the move it stands at.
layout(location = 0) in vec3 position;
layout(location = 1) in float kind;

uniform mat4 model;
uniform mat4 cam_hi;
uniform mat4 cam_lo;

flat out float sKind;

void main() {
  vec4 world = model * vec4(position, 1.0);
  sKind = kind;
  gl_Position = cam_hi * world + cam_lo * world;
}
