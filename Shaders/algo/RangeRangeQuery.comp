#version 430
// Every sweep's box as a range of bins per axis: the bins its box (grown by
// the largest error, "ExpandBoxesBy") meets.
layout(local_size_x = 256) in;

#include "ToolSweep.glsl"

layout(std430, binding = 0) readonly buffer Sweeps { ToolSweep sweeps[]; };
layout(std430, binding = 1) writeonly buffer Ranges { uvec4 ranges[]; };  // first, last bin per sweep

uniform uint nSweeps;
uniform uint nBinsPerDim;
uniform vec3 BinOrigin;
uniform float BinSize;
uniform float ExpandBoxesBy;
uniform uint InvocationOffset;

void main() {
  uint s = InvocationOffset + gl_GlobalInvocationID.x;
  if (s >= nSweeps) return;
  vec3 top = vec3(float(nBinsPerDim - 1u));
  vec3 lo = clamp(floor((sweeps[s].boxMin.xyz - ExpandBoxesBy - BinOrigin) / BinSize), vec3(0.0), top);
  vec3 hi = clamp(floor((sweeps[s].boxMax.xyz + ExpandBoxesBy - BinOrigin) / BinSize), vec3(0.0), top);
  ranges[2u * s] = uvec4(uvec3(lo), 0u);
  ranges[2u * s + 1u] = uvec4(uvec3(hi), 0u);
}
