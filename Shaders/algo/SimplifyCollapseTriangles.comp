#version 430
// Every corner whose vertex collapses this round takes its target's index.
// A triangle that held both ends of the edge is left with a repeated
// corner, and deleted next. The target inherits the removed vertex's error.
layout(local_size_x = 256) in;

#include "Simplify.glsl"

void main() {
  uint t = InvocationOffset + gl_GlobalInvocationID.x;
  if (t >= nTriangles) return;
  for (uint k = 0u; k < 3u; ++k) {
    uint v = triangles[3u * t + k];
    if (!collapses(v)) continue;
    triangles[3u * t + k] = vertexTargets[v];
    atomicMax(vertexErrors[vertexTargets[v]], removalErrors[v]);
  }
}
