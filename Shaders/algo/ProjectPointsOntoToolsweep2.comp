#version 430
// The crowded sweeps, vertex by vertex: each vertex tries every crowded
// sweep of the batch whose box holds it. Apply 0 offers the distances,
// Apply 1 writes the winner's record, as the two candidate-list passes do.
layout(local_size_x = 64) in;

#include "ToolSweepCandidate.glsl"

layout(std430, binding = 5) readonly buffer CrowdedSweeps { uint crowdedSweeps[]; };

uniform uint nCrowded;
uniform uint Apply;
uniform uint InvocationOffset;

void main() {
  uint vertex = InvocationOffset + gl_GlobalInvocationID.x;
  if (vertex >= nVertices) return;
  for (uint k = 0u; k < nCrowded; ++k) {
    uint sweep = crowdedSweeps[k];
    uint flags;
    int encoded;
    ToolPoint point;
    if (!evaluateCandidate(vertex, sweep, flags, encoded, point)) continue;
    if (Apply == 0u)
      atomicMin(distances[vertex], encoded);
    else
      applyCandidate(vertex, sweep, encoded, point);
  }
}
