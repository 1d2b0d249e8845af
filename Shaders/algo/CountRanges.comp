#version 430
// Every sweep's candidate count: the vertices in the bins of its range.
// A range of more than MaxBinsPerSweep bins counts as crowded at once.
layout(local_size_x = 256) in;

layout(std430, binding = 0) readonly buffer Ranges { uvec4 ranges[]; };
layout(std430, binding = 1) readonly buffer BinEnds { uint binEnds[]; };  // inclusive sums of the bin counts
layout(std430, binding = 2) writeonly buffer SweepCounts { uint sweepCounts[]; };

uniform uint nSweeps;
uniform uint nBinsPerDim;
uniform uint MaxBinsPerSweep;
uniform uint crowdedCutoff;
uniform uint InvocationOffset;

uint binCount(uint bin) { return binEnds[bin] - (bin == 0u ? 0u : binEnds[bin - 1u]); }

void main() {
  uint s = InvocationOffset + gl_GlobalInvocationID.x;
  if (s >= nSweeps) return;
  uvec3 lo = ranges[2u * s].xyz, hi = ranges[2u * s + 1u].xyz;
  uvec3 size = hi - lo + 1u;
  if (size.x * size.y * size.z > MaxBinsPerSweep) {
    sweepCounts[s] = crowdedCutoff;
    return;
  }
  uint count = 0u;
  for (uint x = lo.x; x <= hi.x; ++x)
    for (uint y = lo.y; y <= hi.y; ++y) {
      // The bins of one (x, y) column are consecutive.
      uint first = (x * nBinsPerDim + y) * nBinsPerDim + lo.z, last = first + hi.z - lo.z;
      count += binEnds[last] - (first == 0u ? 0u : binEnds[first - 1u]);
    }
  sweepCounts[s] = min(count, crowdedCutoff);
}
