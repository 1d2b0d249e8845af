#version 430
// The triangles about a centre point: each corner's part of the triangle,
// between the split points of its two edges and the centre, as two
// triangles, six in all; or, with no split edge, a fan of three about the
// centre. They go where the pieces' inclusive prefix sum puts them.
// Corners keep their turn, so every piece faces as its triangle did.
layout(local_size_x = 256) in;

layout(std430, binding = 1) readonly buffer Triangles { uint triangles[]; };
layout(std430, binding = 11) readonly buffer EdgeVertices { uint edgeVertices[]; };
layout(std430, binding = 12) readonly buffer Pieces { uint pieces[]; };
layout(std430, binding = 13) writeonly buffer NewTriangles { uint newTriangles[]; };
layout(std430, binding = 14) readonly buffer TriangleCentres { uint triangleCentres[]; };

const uint kNone = 0xFFFFFFFFu;

uniform uint nTriangles;
uniform uint InvocationOffset;

void main() {
  uint t = InvocationOffset + gl_GlobalInvocationID.x;
  if (t >= nTriangles) return;
  uint centre = triangleCentres[t];
  if (centre == kNone) return;
  uvec3 v = uvec3(triangles[3u * t], triangles[3u * t + 1u], triangles[3u * t + 2u]);
  uvec3 m = uvec3(edgeVertices[3u * t], edgeVertices[3u * t + 1u], edgeVertices[3u * t + 2u]);  // m[k] on v[k] v[k+1]
  if (m.x == kNone) {
    uint at = 3u * (pieces[t] - 3u);
    for (uint k = 0u; k < 3u; ++k) {
      newTriangles[at + 3u * k] = v[k];
      newTriangles[at + 3u * k + 1u] = v[(k + 1u) % 3u];
      newTriangles[at + 3u * k + 2u] = centre;
    }
    return;
  }
  uint at = 3u * (pieces[t] - 6u);
  for (uint k = 0u; k < 3u; ++k) {
    // Corner k lies between the split point of the edge before it and
    // that of the edge after it.
    uint before = m[(k + 2u) % 3u], after = m[k];
    uint piece[6] = uint[6](v[k], after, centre, v[k], centre, before);
    for (uint j = 0u; j < 6u; ++j) newTriangles[at + 6u * k + j] = piece[j];
  }
}
