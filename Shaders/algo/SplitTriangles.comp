#version 430
// Where three surfaces meet in a corner, the triangle that holds it cuts
// the corner off: with all three edges split at their creases, its middle
// piece between the split points does; with none split (its corners lie
// on the creases themselves, as on the edges of a box) the whole triangle
// does. The corner is where the tangent planes of the triangle's three
// corners meet; when they meet in one point (three normals well apart)
// that stands off that piece by at least
// minSplitprojectionerrorToAllowSplit and at most maxError, over the
// piece, the triangle takes that point as its centre.
// Stage 0 flags those triangles; stage 1 writes, by the flags' inclusive
// prefix sum, their points and normals (the new vertices after the split
// points: nVertices + nSplitPoints on) and each one's centre vertex.
layout(local_size_x = 256) in;

#include "PackedNormal.glsl"

const uint kNone = 0xFFFFFFFFu;

layout(std430, binding = 0) readonly buffer Positions { vec4 positions[]; };
layout(std430, binding = 1) readonly buffer Triangles { uint triangles[]; };
layout(std430, binding = 3) readonly buffer PackedNormals { uint packedNormals[]; };
layout(std430, binding = 9) readonly buffer SplitPositions { vec4 splitPositions[]; };  // the split points
layout(std430, binding = 11) readonly buffer EdgeVertices { uint edgeVertices[]; };
layout(std430, binding = 12) buffer CentreFlags { uint centreFlags[]; };  // stage 1: their inclusive sums
layout(std430, binding = 13) writeonly buffer CentrePoints { vec4 centrePoints[]; };
layout(std430, binding = 14) writeonly buffer CentreNormals { vec4 centreNormals[]; };
layout(std430, binding = 15) writeonly buffer TriangleCentres { uint triangleCentres[]; };

uniform uint nTriangles;
uniform uint nVertices;
uniform uint nSplitPoints;
uniform float maxError;
uniform float minSplitprojectionerrorToAllowSplit;
uniform uint Stage;
uniform uint InvocationOffset;

// Three unit normals this far from lying in one plane (the volume they
// span) meet in a corner; less is a crease or a bend.
const float kLeastCornerVolume = 0.2;

bool hasCentre(uint t, out vec3 centre, out vec3 normal) {
  uvec3 m = uvec3(edgeVertices[3u * t], edgeVertices[3u * t + 1u], edgeVertices[3u * t + 2u]);
  bvec3 split = notEqual(m, uvec3(kNone));
  if (any(split) && !all(split)) return false;
  uvec3 v = uvec3(triangles[3u * t], triangles[3u * t + 1u], triangles[3u * t + 2u]);
  vec3 n[3], p[3];
  for (int k = 0; k < 3; ++k) {
    n[k] = unpackNormal(packedNormals[v[k]]);
    p[k] = positions[v[k]].xyz;
  }
  // Rows: the planes' normals.
  mat3 planes = transpose(mat3(n[0], n[1], n[2]));
  if (!(abs(determinant(planes)) >= kLeastCornerVolume)) return false;
  centre = inverse(planes) * vec3(dot(n[0], p[0]), dot(n[1], p[1]), dot(n[2], p[2]));
  normal = normalize(n[0] + n[1] + n[2]);
  // The piece that cuts the corner, and where the corner stands over it.
  vec3 a = p[0], b = p[1], c = p[2];
  if (all(split)) {
    a = splitPositions[m.x - nVertices].xyz;
    b = splitPositions[m.y - nVertices].xyz;
    c = splitPositions[m.z - nVertices].xyz;
  }
  vec3 across = cross(b - a, c - a);
  float area = length(across);
  if (!(area > 0.0)) return false;
  vec3 up = across / area;
  float height = abs(dot(centre - a, up));
  if (height < minSplitprojectionerrorToAllowSplit || height > maxError) return false;
  vec3 foot = centre - dot(centre - a, up) * up;
  return dot(cross(b - a, foot - a), up) >= 0.0 && dot(cross(c - b, foot - b), up) >= 0.0 &&
         dot(cross(a - c, foot - c), up) >= 0.0;
}

void main() {
  uint t = InvocationOffset + gl_GlobalInvocationID.x;
  if (t >= nTriangles) return;
  vec3 centre, normal;
  if (Stage == 0u) {
    centreFlags[t] = hasCentre(t, centre, normal) ? 1u : 0u;
    return;
  }
  uint rank = centreFlags[t];
  if (rank == (t == 0u ? 0u : centreFlags[t - 1u])) {
    triangleCentres[t] = kNone;
    return;
  }
  hasCentre(t, centre, normal);
  centrePoints[rank - 1u] = vec4(centre, 1.0);
  centreNormals[rank - 1u] = vec4(normal, 0.0);
  triangleCentres[t] = nVertices + nSplitPoints + rank - 1u;
}
