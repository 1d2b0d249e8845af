#version 430
// Vertex positions (grid coordinates) of each cube's triangles, in the
// order of the identifiers.
layout(local_size_x = 256) in;

#include "CubeRecord.glsl"

layout(std430, binding = 2) readonly buffer IndexSums { uint indexSums[]; };
layout(std430, binding = 3) writeonly buffer Positions { vec4 positions[]; };

void main() {
  uint cube = InvocationOffset + gl_GlobalInvocationID.x;
  if (cube >= nCubes) return;
  uint at = cube == 0u ? 0u : indexSums[cube - 1u];
  uint caseIndex = caseOf(cube);
  uint triangles = triangleCountOf(caseIndex);
  for (uint t = 0u; t < triangles; ++t) {
    positions[at++] = vec4(edgePoint(cube, uint(tableEdge(caseIndex, 3u * t))), 1.0);
    positions[at++] = vec4(edgePoint(cube, uint(tableEdge(caseIndex, 3u * t + 2u))), 1.0);
    positions[at++] = vec4(edgePoint(cube, uint(tableEdge(caseIndex, 3u * t + 1u))), 1.0);
  }
}
