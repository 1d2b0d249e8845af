#version 430
// Every owned edge whose ends lie on their surfaces and either on two
// different surfaces or on one that turns sharply between them: where the
// two tangent planes meet, between the ends, is the crease. The edge is
// split there when the crease stands farther than
// minSplitprojectionerrorToAllowSplit from the edge (less is no chamfer
// worth a vertex) and no farther than maxError.
layout(local_size_x = 256) in;

#include "EdgeSplit.glsl"
#include "PackedNormal.glsl"
#include "ProjectionRecord.glsl"

layout(std430, binding = 3) readonly buffer PackedNormals { uint packedNormals[]; };
layout(std430, binding = 4) readonly buffer Records { uvec4 records[]; };
layout(std430, binding = 5) readonly buffer Moved { uint moved[]; };
layout(std430, binding = 6) writeonly buffer SplitFlags { uint splitFlags[]; };
layout(std430, binding = 7) writeonly buffer SplitPoints { vec4 splitPoints[]; };
layout(std430, binding = 8) writeonly buffer SplitNormals { vec4 splitNormals[]; };

uniform float minSplitprojectionerrorToAllowSplit;
uniform float maxError;
uniform float CreaseCosine;  // ends on one surface whose normals differ more than this are a crease

void main() {
  uint h = InvocationOffset + gl_GlobalInvocationID.x;
  if (h >= 3u * nTriangles) return;
  splitFlags[h] = 0u;
  uint a = halfEdgeStart(h), b = halfEdgeEnd(h);
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
  splitFlags[h] = 1u;
  splitPoints[h] = vec4(pa + ts.x * e + ts.y * m, 1.0);
  splitNormals[h] = vec4(m, 0.0);
  enterHalfEdge(h);
}
