#version 430
// Every sweep writes its candidates, one (vertex, sweep) pair per vertex in
// the bins of its range, from its place in the list on.
layout(local_size_x = 256) in;

layout(std430, binding = 0) readonly buffer Ranges { uvec4 ranges[]; };
layout(std430, binding = 1) readonly buffer BinEnds { uint binEnds[]; };
layout(std430, binding = 2) readonly buffer BinnedVertices { uint binnedVertices[]; };  // vertices by bin
layout(std430, binding = 3) readonly buffer SweepEnds { uint sweepEnds[]; };  // inclusive sums of the counts
layout(std430, binding = 4) writeonly buffer Candidates { uvec2 candidates[]; };
layout(std430, binding = 5) readonly buffer CrowdedBits { uint crowdedBits[]; };

uniform uint nSweeps;
uniform uint nBinsPerDim;
uniform uint InvocationOffset;

void main() {
  uint s = InvocationOffset + gl_GlobalInvocationID.x;
  if (s >= nSweeps) return;
  if ((crowdedBits[s / 32u] & (1u << (s % 32u))) != 0u) return;
  uint at = s == 0u ? 0u : sweepEnds[s - 1u];
  uvec3 lo = ranges[2u * s].xyz, hi = ranges[2u * s + 1u].xyz;
  for (uint x = lo.x; x <= hi.x; ++x)
    for (uint y = lo.y; y <= hi.y; ++y) {
      uint first = (x * nBinsPerDim + y) * nBinsPerDim + lo.z, last = first + hi.z - lo.z;
      uint from = first == 0u ? 0u : binEnds[first - 1u];
      for (uint k = from; k < binEnds[last]; ++k) candidates[at++] = uvec2(binnedVertices[k], s);
    }
}
