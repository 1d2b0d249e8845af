#version 430
// The vertex normals out of their fixed-point sums: unit vectors, (0, 0, 0)
// for a vertex whose triangles cancel out or are all degenerate.
layout(local_size_x = 256) in;

layout(std430, binding = 0) readonly buffer NormalSums { int normalSums[]; };
layout(std430, binding = 1) writeonly buffer Normals { vec4 normals[]; };

uniform uint nVertices;
uniform uint InvocationOffset;

void main() {
  uint v = InvocationOffset + gl_GlobalInvocationID.x;
  if (v >= nVertices) return;
  vec3 sum = vec3(normalSums[3u * v], normalSums[3u * v + 1u], normalSums[3u * v + 2u]);
  float len = length(sum);
  normals[v] = vec4(len > 0.0 ? sum / len : vec3(0.0), 0.0);
}
