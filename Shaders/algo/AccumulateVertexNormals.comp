#version 430
// Each triangle adds its unit face normal to its three vertices, in fixed
// point (2^20 per unit) so that integer atomics can sum them. Degenerate
// triangles add nothing.
layout(local_size_x = 256) in;

layout(std430, binding = 0) readonly buffer Positions { vec4 positions[]; };
layout(std430, binding = 1) readonly buffer Triangles { uint triangles[]; };
layout(std430, binding = 2) buffer NormalSums { int normalSums[]; };  // three per vertex

uniform uint nTriangles;
uniform uint InvocationOffset;

const float kFixedPoint = 1048576.0;

void main() {
  uint t = InvocationOffset + gl_GlobalInvocationID.x;
  if (t >= nTriangles) return;
  uvec3 v = uvec3(triangles[3u * t], triangles[3u * t + 1u], triangles[3u * t + 2u]);
  vec3 n = cross(positions[v.y].xyz - positions[v.x].xyz, positions[v.z].xyz - positions[v.x].xyz);
  float len = length(n);
  if (!(len > 0.0)) return;
  ivec3 fixedNormal = ivec3(round(n / len * kFixedPoint));
  for (int k = 0; k < 3; ++k)
    for (int axis = 0; axis < 3; ++axis) atomicAdd(normalSums[3u * v[k] + uint(axis)], fixedNormal[axis]);
}
