#version 430
// A toolpath vertex: position, kind and move index. The kind is flat, so a
// segment of the strip takes the kind of the vertex it ends at.
layout(location = 0) in vec3 position;
layout(location = 1) in float kind;
layout(location = 2) in int move;

uniform mat4 model;
uniform mat4 cam_hi;
uniform mat4 cam_lo;

flat out float sKind;

void main() {
  vec4 world = model * vec4(position, 1.0);
  sKind = kind;
  gl_Position = cam_hi * world + cam_lo * world;
}
