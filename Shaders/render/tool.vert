#version 430
// A tool or holder vertex: position, the packed normal with the part tag in
// its top two bits, the packed colour and the shininess, placed by "model"
// (tool frame to display frame at the played position).
layout(location = 0) in vec3 position;
layout(location = 1) in uint packedNormal;
layout(location = 2) in uint packedColour;
layout(location = 3) in float shine;

uniform mat4 model;
uniform mat4 cam_hi;
uniform mat4 cam_lo;

out vec3 sWorld;
out vec3 sNormal;
out vec4 sColour;
out float sShine;
flat out uint sPart;

vec3 unpackNormal(uint p) { return vec3(p & 1023u, (p >> 10) & 1023u, (p >> 20) & 1023u) / 511.5 - 1.0; }
vec4 unpackColour(uint c) { return vec4(c & 255u, (c >> 8) & 255u, (c >> 16) & 255u, 255u) / 255.0; }

void main() {
  vec4 world = model * vec4(position, 1.0);
  sWorld = world.xyz;
  sNormal = mat3(model) * unpackNormal(packedNormal);
  sColour = unpackColour(packedColour);
  sShine = shine;
  sPart = packedNormal >> 30;
  gl_Position = cam_hi * world + cam_lo * world;
}
