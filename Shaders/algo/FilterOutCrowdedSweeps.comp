#version 430
// Sweeps with at least crowdedCutoff candidates are flagged (one bit per
// sweep, 32 a word) and take no place in the candidate list: they are
// searched vertex by vertex instead.
layout(local_size_x = 256) in;

layout(std430, binding = 0) buffer SweepCounts { uint sweepCounts[]; };
layout(std430, binding = 1) buffer CrowdedBits { uint crowdedBits[]; };

uniform uint nSweeps;
uniform uint crowdedCutoff;
uniform uint InvocationOffset;

void main() {
  uint s = InvocationOffset + gl_GlobalInvocationID.x;
  if (s >= nSweeps) return;
  if (sweepCounts[s] < crowdedCutoff) return;
  atomicOr(crowdedBits[s / 32u], 1u << (s % 32u));
  sweepCounts[s] = 0u;
}
