#version 430
// A toolpath vertex for the picking pass: drawn as a point, slightly
// towards the viewer so a point on a surface stays visible.
layout(location = 0) in vec3 position;
layout(location = 1) in float kind;
layout(location = 2) in int move;

uniform mat4 model;
uniform mat4 cam_hi;
uniform mat4 cam_lo;

flat out float sKind;
flat out int sMove;

void main() {
  vec4 world = model * vec4(position, 1.0);
  sKind = kind;
  sMove = move;
  vec4 clip = cam_hi * world + cam_lo * world;
  clip.z -= 0.0005 * abs(clip.w);
  gl_Position = clip;
}
