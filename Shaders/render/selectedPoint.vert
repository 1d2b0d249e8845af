#version 430
// A selected move end, drawn on the toolpath's own vertices: slightly
// towards the viewer, so it shows over the lines and points it sits on.
layout(location = 0) in vec3 position;

uniform mat4 model;
uniform mat4 cam_hi;
uniform mat4 cam_lo;

void main() {
  vec4 world = model * vec4(position, 1.0);
  vec4 clip = cam_hi * world + cam_lo * world;
  clip.z -= 0.001 * abs(clip.w);
  gl_Position = clip;
}
