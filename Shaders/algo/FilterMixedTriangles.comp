#version 430
// The mixed triangles' indices, compacted by the flags' inclusive prefix
// sum: a triangle is mixed where the sum steps up at it.
layout(local_size_x = 256) in;

layout(std430, binding = 0) readonly buffer MixedSums { uint mixedSums[]; };
layout(std430, binding = 1) writeonly buffer MixedTriangles { uint mixedTriangles[]; };

uniform uint nTriangles;
uniform uint InvocationOffset;

void main() {
  uint t = InvocationOffset + gl_GlobalInvocationID.x;
  if (t >= nTriangles) return;
  uint before = t == 0u ? 0u : mixedSums[t - 1u];
  if (mixedSums[t] == before) return;
  mixedTriangles[before] = t;
}
