#version 430
// Stage 0 counts the triangles each triangle becomes (one more per split
// edge; about a centre point, six or, with no split edge, three); stage 1 writes them, in order, by the
// counts' inclusive prefix sum, but for those about a centre, which
// RemakeCenterSplitTriangles writes. Corners keep their turn, so every
// piece faces as its triangle did.
layout(local_size_x = 256) in;

layout(std430, binding = 1) readonly buffer Triangles { uint triangles[]; };
layout(std430, binding = 11) readonly buffer EdgeVertices { uint edgeVertices[]; };
layout(std430, binding = 12) buffer Pieces { uint pieces[]; };
layout(std430, binding = 13) writeonly buffer NewTriangles { uint newTriangles[]; };
layout(std430, binding = 14) readonly buffer TriangleCentres { uint triangleCentres[]; };

const uint kNone = 0xFFFFFFFFu;

uniform uint nTriangles;
uniform uint Stage;
uniform uint InvocationOffset;

uint written = 0u;
uint firstPiece = 0u;

void emit(uint a, uint b, uint c) {
  uint at = 3u * (firstPiece + written++);
  newTriangles[at] = a;
  newTriangles[at + 1u] = b;
  newTriangles[at + 2u] = c;
}

void main() {
  uint t = InvocationOffset + gl_GlobalInvocationID.x;
  if (t >= nTriangles) return;
  uvec3 v = uvec3(triangles[3u * t], triangles[3u * t + 1u], triangles[3u * t + 2u]);
  uvec3 m = uvec3(edgeVertices[3u * t], edgeVertices[3u * t + 1u], edgeVertices[3u * t + 2u]);  // m[k] on v[k] v[k+1]
  uint splits = uint(m.x != kNone) + uint(m.y != kNone) + uint(m.z != kNone);
  bool centred = triangleCentres[t] != kNone;
  if (Stage == 0u) {
    pieces[t] = centred ? (splits == 0u ? 3u : 6u) : 1u + splits;
    return;
  }
  if (centred) return;
  firstPiece = pieces[t] - 1u - splits;
  if (splits == 0u) {
    emit(v.x, v.y, v.z);
  } else if (splits == 3u) {
    emit(v.x, m.x, m.z);
    emit(m.x, v.y, m.y);
    emit(m.z, m.y, v.z);
    emit(m.x, m.y, m.z);
  } else if (splits == 1u) {
    uint k = m.x != kNone ? 0u : (m.y != kNone ? 1u : 2u);
    uint a = v[k], b = v[(k + 1u) % 3u], c = v[(k + 2u) % 3u];
    emit(a, m[k], c);
    emit(m[k], b, c);
  } else {
    // Two splits: k is the edge after the whole one, so the split edges
    // are a-b and b-c.
    uint whole = m.x == kNone ? 0u : (m.y == kNone ? 1u : 2u);
    uint k = (whole + 1u) % 3u;
    uint a = v[k], b = v[(k + 1u) % 3u], c = v[(k + 2u) % 3u];
    uint ab = m[k], bc = m[(k + 1u) % 3u];
    emit(ab, b, bc);
    emit(a, ab, bc);
    emit(a, bc, c);
  }
}
