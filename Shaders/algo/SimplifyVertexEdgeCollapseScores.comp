#version 430
// Every free vertex's score: the length of its shortest edge in UnitLen
// steps. Short edges go first; they change the surface least.
layout(local_size_x = 256) in;

#include "Simplify.glsl"

void main() {
  uint t = InvocationOffset + gl_GlobalInvocationID.x;
  if (t >= nTriangles) return;
  uvec3 v = cornersOf(t);
  if (degenerate(v)) return;
  for (int k = 0; k < 3; ++k) {
    if ((vertexFlags[v[k]] & kLocked) != 0u) continue;
    atomicMin(vertexScores[v[k]], min(edgeScore(v[k], v[(k + 1) % 3]), edgeScore(v[k], v[(k + 2) % 3])));
  }
}
