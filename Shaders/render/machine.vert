#version 430
// A machine model: positions and packed face normals, placed by "model"
// (machine frame to display frame at the current pose).
layout(location = 0) in vec3 position;
layout(location = 1) in uint packedNormal;

uniform mat4 model;
uniform mat4 cam_hi;
uniform mat4 cam_lo;

out vec3 sWorld;
out vec3 sNormal;

vec3 unpackNormal(uint p) { return vec3(p & 1023u, (p >> 10) & 1023u, (p >> 20) & 1023u) / 511.5 - 1.0; }

void main() {
  vec4 world = model * vec4(position, 1.0);
  sWorld = world.xyz;
  sNormal = mat3(model) * unpackNormal(packedNormal);
  gl_Position = cam_hi * world + cam_lo * world;
}
