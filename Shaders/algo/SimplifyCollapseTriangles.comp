#version 430
// Every corner whose vertex collapses this round takes its target's index.
// A triangle that held both ends of the edge is left with a repeated
// corner, and deleted next. The removed vertex's error goes to every vertex
// of its fan, the target among them: each of them now bounds triangles
// that stand in for the removed vertex, and a later collapse of any of
// them moves those again.
layout(local_size_x = 256) in;

#include "Simplify.glsl"

void main() {
  uint t = InvocationOffset + gl_GlobalInvocationID.x;
  if (t >= nTriangles) return;
  uvec3 v = cornersOf(t);
  for (uint k = 0u; k < 3u; ++k) {
    if (!collapses(v[k])) continue;
    uint error = removalErrors[v[k]];
    triangles[3u * t + k] = vertexTargets[v[k]];
    atomicMax(vertexErrors[vertexTargets[v[k]]], error);
    for (uint j = 1u; j < 3u; ++j) atomicMax(vertexErrors[v[(k + j) % 3u]], error);
  }
}
