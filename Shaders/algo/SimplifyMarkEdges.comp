#version 430
// Every free vertex's target, the far end of its shortest edge (the lowest
// index among equals), and the vertices a neighbour goes before. No two
// neighbours collapse in one round, so no triangle loses two corners and
// no target moves.
layout(local_size_x = 256) in;

#include "Simplify.glsl"

void main() {
  uint t = InvocationOffset + gl_GlobalInvocationID.x;
  if (t >= nTriangles) return;
  uvec3 v = cornersOf(t);
  if (degenerate(v)) return;
  for (int k = 0; k < 3; ++k) {
    uint self = v[k];
    if ((vertexFlags[self] & kLocked) != 0u) continue;
    for (int j = 1; j < 3; ++j) {
      uint other = v[(k + j) % 3];
      if (edgeScore(self, other) == vertexScores[self]) atomicMin(vertexTargets[self], other);
      if (goesBefore(other, self)) atomicOr(vertexFlags[self], kBlocked);
    }
  }
}
