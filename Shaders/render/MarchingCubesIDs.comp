#version 430
// Vertex identifiers of each cube's triangles, from its exclusive prefix of
// the index counts, each triangle as its first, third and second edge.
layout(local_size_x = 256) in;

#include "CubeRecord.glsl"

layout(std430, binding = 2) readonly buffer IndexSums { uint indexSums[]; };
layout(std430, binding = 3) writeonly buffer Identifiers { uint identifiers[]; };

void main() {
  uint cube = InvocationOffset + gl_GlobalInvocationID.x;
  if (cube >= nCubes) return;
  uint at = cube == 0u ? 0u : indexSums[cube - 1u];
  uint caseIndex = caseOf(cube);
  uint triangles = triangleCountOf(caseIndex);
  for (uint t = 0u; t < triangles; ++t) {
    identifiers[at++] = edgeIdentifier(cube, uint(tableEdge(caseIndex, 3u * t)));
    identifiers[at++] = edgeIdentifier(cube, uint(tableEdge(caseIndex, 3u * t + 2u)));
    identifiers[at++] = edgeIdentifier(cube, uint(tableEdge(caseIndex, 3u * t + 1u)));
  }
}
