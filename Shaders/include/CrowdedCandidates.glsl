// The crowded sweeps, vertex by vertex: each vertex tries every crowded
// sweep of the batch whose box holds it, in the three passes of the
// candidate list (Apply 0 offers the values, 1 elects, 2 writes). One
// program runs all three, so that its values agree between them.
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
    int bare;
    ToolPoint point;
    if (!evaluateCandidate(vertex, sweep, flags, bare, point)) continue;
    if (Apply == 0u)
      offerCandidate(vertex, flags, bare);
    else if (Apply == 1u)
      electCandidate(vertex, sweep, flags, bare);
    else
      writeWinningCandidate(vertex, sweep, flags, bare, point);
  }
}
