#version 430
// A model for the picking pass: positions placed by "model", pushed towards
// the viewer by depthBias x |w| so a mesh's edge lines win over its own
// faces.
layout(location = 0) in vec3 position;

uniform mat4 model;
uniform mat4 cam_hi;
uniform mat4 cam_lo;
uniform float depthBias;

out vec3 sWorld;

void main() {
  vec4 world = model * vec4(position, 1.0);
  sWorld = world.xyz;
  vec4 clip = cam_hi * world + cam_lo * world;
  clip.z -= depthBias * abs(clip.w);
  gl_Position = clip;
}
