#version 430
// Every owned edge whose ends lie on their surfaces and either on two
// different surfaces or on one that turns sharply between them: where the
// two tangent planes meet, between the ends, is the crease. The edge is
// split there when the crease stands farther than
// minSplitprojectionerrorToAllowSplit from the edge (less is no chamfer
// worth a vertex), no farther than maxError, and away from the far corners
// of both triangles on the edge (stage 0 looks at the owner's, stage 1 at
// the other's).
layout(local_size_x = 256) in;

#include "EdgeSplit.glsl"
#include "PackedNormal.glsl"
#include "ProjectionRecord.glsl"

layout(std430, binding = 3) readonly buffer PackedNormals { uint packedNormals[]; };
layout(std430, binding = 4) readonly buffer Records { uvec4 records[]; };
layout(std430, binding = 5) readonly buffer Moved { uint moved[]; };
layout(std430, binding = 6) buffer SplitFlags { uint splitFlags[]; };
layout(std430, binding = 7) buffer SplitPoints { vec4 splitPoints[]; };
layout(std430, binding = 8) writeonly buffer SplitNormals { vec4 splitNormals[]; };

uniform float minSplitprojectionerrorToAllowSplit;
uniform float maxError;
uniform float CreaseCosine;  // ends on one surface whose normals differ more than this are a crease
uniform uint Stage;

uint oppositeCorner(uint h) { return triangles[h - h % 3u + (h % 3u + 2u) % 3u]; }

// A crease point next to the corner across from the edge would leave a
// sliver: that corner already stands on the crease.
bool besideOppositeCorner(uint h, vec3 point, float edgeLength) {
  return distance(point, positions[oppositeCorner(h)].xyz) < 0.05 * edgeLength;
}

// Stage 1: the half-edge opposite an owner withdraws the split when its own
// triangle's far corner stands at the crease point.
void checkOppositeSide(uint h, uint a, uint b) {
  if (a <= b) return;
  uint owner = enteredHalfEdge(b, a);
  if (owner == kNone || splitFlags[owner] == 0u) return;
  if (besideOppositeCorner(h, splitPoints[owner].xyz, distance(positions[a].xyz, positions[b].xyz)))
    splitFlags[owner] = 0u;
}

void main() {
  uint h = InvocationOffset + gl_GlobalInvocationID.x;
  if (h >= 3u * nTriangles) return;
  uint a = halfEdgeStart(h), b = halfEdgeEnd(h);
  if (Stage == 1u) {
    checkOppositeSide(h, a, b);
    return;
  }
  splitFlags[h] = 0u;
  if (a >= b || moved[a] == 0u || moved[b] == 0u) return;
  vec3 na = unpackNormal(packedNormals[a]), nb = unpackNormal(packedNormals[b]);
  bool twoSurfaces = projectionSource(records[a]) != projectionSource(records[b]);
  if (!twoSurfaces && dot(na, nb) >= CreaseCosine) return;
  // x = pa + t e + s m lies on both tangent planes: (x - pa).na = 0 and
  // (x - pb).nb = 0, with m the normals' mean (out of the material).
  vec3 pa = positions[a].xyz, pb = positions[b].xyz, e = pb - pa;
  vec3 m = na + nb;
  if (dot(m, m) < 1e-6) return;
  m = normalize(m);
  mat2 planes = mat2(dot(e, na), dot(e, nb), dot(m, na), dot(m, nb));  // columns: t, s
  float det = determinant(planes);
  // Ends in one place, or parallel planes: no crease between the ends.
  if (dot(e, e) < 1e-12 || !(abs(det) > 1e-3 * length(e))) return;
  vec2 ts = inverse(planes) * vec2(0.0, dot(e, nb));
  if (any(isnan(ts)) || any(isinf(ts))) return;
  if (ts.x < 0.02 || ts.x > 0.98) return;
  if (abs(ts.y) < minSplitprojectionerrorToAllowSplit || abs(ts.y) > maxError) return;
  vec3 point = pa + ts.x * e + ts.y * m;
  if (besideOppositeCorner(h, point, length(e))) return;
  splitFlags[h] = 1u;
  splitPoints[h] = vec4(point, 1.0);
  splitNormals[h] = vec4(m, 0.0);
  enterHalfEdge(h);
}
