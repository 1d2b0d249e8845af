#version 430
// Every vertex's bin in a grid of nBinsPerDim^3 bins over a box holding the mesh,
// as a sort key, and the number of vertices per bin.
layout(local_size_x = 256) in;

layout(std430, binding = 0) readonly buffer Positions { vec4 positions[]; };
layout(std430, binding = 1) writeonly buffer Keys { uint keys[]; };
layout(std430, binding = 2) buffer BinCounts { uint binCounts[]; };

uniform uint nVertices;
uniform uint nBinsPerDim;
uniform vec3 BinOrigin;
uniform float BinSize;
uniform uint InvocationOffset;

void main() {
  uint v = InvocationOffset + gl_GlobalInvocationID.x;
  if (v >= nVertices) return;
  uvec3 bin = uvec3(clamp(floor((positions[v].xyz - BinOrigin) / BinSize), vec3(0.0), vec3(float(nBinsPerDim - 1u))));
  uint key = (bin.x * nBinsPerDim + bin.y) * nBinsPerDim + bin.z;
  keys[v] = key;
  atomicAdd(binCounts[key], 1u);
}
