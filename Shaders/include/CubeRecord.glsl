// Reading the cube list: five words per mixed cube (codes of the twelve
// edges in words 0-2, owners and corner mask in word 3, cell index in word
// 4) and the triangle table (256 x 16 ints: edge numbers, -1 after the
// last).
#include "ShaderContract.h"

layout(std430, binding = 0) readonly buffer Cubes { uint cubes[]; };
layout(std430, binding = 1) readonly buffer TriangleTable { int triangleTable[]; };

uniform uint nCubes;
uniform uint InvocationOffset;
uniform uvec3 nCells;  // G - 1

// Word and byte of each edge's code in the record.
const uvec2 kEdgeCode[12] = uvec2[12](uvec2(0, 0), uvec2(0, 3), uvec2(1, 2), uvec2(0, 1), uvec2(2, 0), uvec2(2, 2),
                                      uvec2(2, 3), uvec2(2, 1), uvec2(0, 2), uvec2(1, 0), uvec2(1, 1), uvec2(1, 3));
// The corners an edge joins, the first being the node it belongs to.
const uvec2 kEdgeCorners[12] = uvec2[12](uvec2(0, 1), uvec2(1, 2), uvec2(3, 2), uvec2(0, 3), uvec2(4, 5), uvec2(5, 6),
                                         uvec2(7, 6), uvec2(4, 7), uvec2(0, 4), uvec2(1, 5), uvec2(2, 6), uvec2(3, 7));
const vec3 kCornerAt[8] = vec3[8](vec3(0, 0, 0), vec3(1, 0, 0), vec3(1, 1, 0), vec3(0, 1, 0), vec3(0, 0, 1),
                                  vec3(1, 0, 1), vec3(1, 1, 1), vec3(0, 1, 1));

uint caseOf(uint cube) { return cubes[5u * cube + 3u] >> 24; }

uvec3 cellOf(uint cube) {
  uint index = cubes[5u * cube + 4u];
  return uvec3(index / (nCells.y * nCells.z), (index / nCells.z) % nCells.y, index % nCells.z);
}

uint codeOf(uint cube, uint edge) {
  uvec2 at = kEdgeCode[edge];
  return (cubes[5u * cube + at.x] >> (8u * at.y)) & 0xFFu;
}

int tableEdge(uint caseIndex, uint k) { return triangleTable[caseIndex * 16u + k]; }

uint triangleCountOf(uint caseIndex) {
  uint n = 0u;
  while (n < 5u && tableEdge(caseIndex, 3u * n) >= 0) ++n;
  return n;
}

// The surface point on an edge of a cube, in grid coordinates.
vec3 edgePoint(uint cube, uint edge) {
  uint code = codeOf(cube, edge);
  float along = float(GPU_CROSSING_FRACTION(code));
  vec3 a = kCornerAt[kEdgeCorners[edge].x], b = kCornerAt[kEdgeCorners[edge].y];
  return vec3(cellOf(cube)) + a + (b - a) * (along + 0.5) / float(GPU_CROSSING_STEPS);
}

// Vertex identifier of an edge: its node's index (cell counts as strides)
// times 3 plus its axis. Nodes of the last layer would alias the next row,
// but the lattice's outermost layer is always outside, so no surface edge
// starts there.
uint edgeIdentifier(uint cube, uint edge) {
  uvec3 node = cellOf(cube) + uvec3(kCornerAt[kEdgeCorners[edge].x]);
  uint axis = edge < 8u ? edge % 2u : 2u;
  return ((node.x * nCells.y + node.y) * nCells.z + node.z) * 3u + axis;
}
