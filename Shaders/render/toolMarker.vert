#version 430
// The position marker: one point at the tool tip (display frame).
uniform vec3 tip;
uniform mat4 cam_hi;
uniform mat4 cam_lo;

void main() {
  vec4 p = vec4(tip, 1.0);
  gl_Position = cam_hi * p + cam_lo * p;
}
