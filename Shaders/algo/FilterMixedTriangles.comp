#version 430
// The mixed triangles' indices, compacted by the flags' prefix sum.
layout(local_size_x = 256) in;

layout(std430, binding = 0) readonly buffer MixedFlags { uint mixedFlags[]; };
layout(std430, binding = 1) readonly buffer MixedSums { uint mixedSums[]; };
layout(std430, binding = 2) writeonly buffer MixedTriangles { uint mixedTriangles[]; };

uniform uint nTriangles;
uniform uint InvocationOffset;

void main() {
  uint t = InvocationOffset + gl_GlobalInvocationID.x;
  if (t >= nTriangles || mixedFlags[t] == 0u) return;
  mixedTriangles[mixedSums[t] - 1u] = t;
}
