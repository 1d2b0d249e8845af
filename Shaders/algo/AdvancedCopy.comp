#version 430
// The enhanced vertices into the solid program's vertex layout: position,
// compare distance (none yet: 0) and the packed normal's bits.
layout(local_size_x = 256) in;

layout(std430, binding = 0) readonly buffer Positions { vec4 positions[]; };
layout(std430, binding = 1) readonly buffer PackedNormals { uint packedNormals[]; };
// Words rather than floats: the normal's bits pass through untouched.
layout(std430, binding = 2) writeonly buffer SolidVertices { uint solidVertices[]; };

uniform uint nVertices;
uniform uint InvocationOffset;

void main() {
  uint v = InvocationOffset + gl_GlobalInvocationID.x;
  if (v >= nVertices) return;
  vec3 p = positions[v].xyz;
  solidVertices[5u * v] = floatBitsToUint(p.x);
  solidVertices[5u * v + 1u] = floatBitsToUint(p.y);
  solidVertices[5u * v + 2u] = floatBitsToUint(p.z);
  solidVertices[5u * v + 3u] = 0u;
  solidVertices[5u * v + 4u] = packedNormals[v];
}
