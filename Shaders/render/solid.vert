#version 430
// A stock mesh with per-vertex compare distances and packed normals.
layout(location = 0) in vec3 position;
layout(location = 1) in float compareDistance;
layout(location = 2) in uint packedNormal;

uniform mat4 model;
uniform mat4 cam_hi;
uniform mat4 cam_lo;

out vec3 sWorld;
out vec3 sVertexNormal;
out float sDistance;

vec3 unpackNormal(uint p) { return vec3(p & 1023u, (p >> 10) & 1023u, (p >> 20) & 1023u) / 511.5 - 1.0; }

void main() {
  vec4 world = model * vec4(position, 1.0);
  sWorld = world.xyz;
  sVertexNormal = mat3(model) * unpackNormal(packedNormal);
  sDistance = compareDistance;
  gl_Position = cam_hi * world + cam_lo * world;
}
