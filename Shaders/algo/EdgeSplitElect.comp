#version 430
// Every half-edge learns the vertex that splits its edge, if any: an owner
// from the prefix sum of the split flags (new vertices follow the old
// ones, in half-edge order), the opposite half-edge from the table. Owners
// also place their points in the list of new vertices, and every triangle
// counts the triangles it becomes.
layout(local_size_x = 256) in;

#include "EdgeSplit.glsl"

layout(std430, binding = 6) readonly buffer SplitSums { uint splitSums[]; };
layout(std430, binding = 7) readonly buffer SplitPoints { vec4 splitPoints[]; };
layout(std430, binding = 8) readonly buffer SplitNormals { vec4 splitNormals[]; };
layout(std430, binding = 9) writeonly buffer NewPositions { vec4 newPositions[]; };
layout(std430, binding = 10) writeonly buffer NewNormals { vec4 newNormals[]; };
layout(std430, binding = 11) writeonly buffer EdgeVertices { uint edgeVertices[]; };

uniform uint nVertices;

bool splitAt(uint h) { return splitSums[h] != (h == 0u ? 0u : splitSums[h - 1u]); }

void main() {
  uint h = InvocationOffset + gl_GlobalInvocationID.x;
  if (h >= 3u * nTriangles) return;
  uint a = halfEdgeStart(h), b = halfEdgeEnd(h);
  // Owners whose split was withdrawn stay in the table.
  uint owner = a < b ? h : enteredHalfEdge(b, a);
  if (owner == kNone || !splitAt(owner)) {
    edgeVertices[h] = kNone;
    return;
  }
  uint index = splitSums[owner] - 1u;
  edgeVertices[h] = nVertices + index;
  if (owner == h) {
    newPositions[index] = splitPoints[h];
    newNormals[index] = splitNormals[h];
  }
}
