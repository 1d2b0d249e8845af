#version 430
// Chunk count of every triangle: its rays divided into chunks of
// InvocationChunkSize. The host turns the counts into inclusive prefix sums.
layout(local_size_x = 128) in;

#include "MeshRays.glsl"

uniform int Expand;  // bounding-box growth in cells
uniform uint InvocationOffset;  // first invocation of this dispatch

void main() {
  uint tri = gl_GlobalInvocationID.x + InvocationOffset;
  if (tri >= TrianglesCount) return;
  ivec3 low, high;
  triangleRayBox(tri, Expand, low, high);
  uint rays = triangleRayCount(low, high);
  workIndex[tri] = (rays + InvocationChunkSize - 1u) / InvocationChunkSize;
}
