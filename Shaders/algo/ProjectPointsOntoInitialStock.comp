#version 430
// Every vertex onto the surface of the stock as it was before any cut: its
// projection record (source -1) and its competing distance, which the tool
// sweeps then try to beat.
//   Kind 0, none: no surface; the vertex stays, at the largest distance.
//   Kind 1, box: in the stock's own frame (WorldToStock, StockToWorld), a
//     vertex outside goes to the closest point of the box, one inside to
//     the nearest face (negative distance).
//   Kind 2, hollow cylinder: the same in the plane through the axis, where
//     the ring is the rectangle [bore, outer radius] x [0, length].
//   Kind 3, triangle mesh: the closest point of the mesh, signed by the
//     pseudo-normal of the feature it lies on.
layout(local_size_x = 128) in;

#include "ProjectionRecord.glsl"
#include "ClosestPointOnTriangle.glsl"

layout(std430, binding = 0) readonly buffer Positions { vec4 positions[]; };
layout(std430, binding = 1) readonly buffer VertexNormals { vec4 vertexNormals[]; };
layout(std430, binding = 2) writeonly buffer Records { uvec4 records[]; };
layout(std430, binding = 3) writeonly buffer Distances { int distances[]; };
layout(std430, binding = 4) readonly buffer MeshPositions { vec4 meshPositions[]; };
layout(std430, binding = 5) readonly buffer MeshNormals { vec4 meshNormals[]; };  // per mesh vertex
layout(std430, binding = 6) readonly buffer MeshTriangles { uint meshTriangles[]; };

uniform uint nVertices;
uniform uint InvocationOffset;
uniform uint StockKind;
uniform mat4 WorldToStock;
uniform mat4 StockToWorld;
uniform vec3 BoxMin;
uniform vec3 BoxMax;
uniform float OuterRadius;
uniform float BoreRadius;
uniform float CylinderLength;  // along the own frame's z from its origin
uniform uint nMeshTriangles;

struct Projection {
  vec3 target;  // where the vertex belongs, in the frame it was given in
  vec3 normal;  // outward
  float distance;
};

// The closest point of an n-dimensional box (n = 2 or 3 given as vec3 with
// an unused third axis spanning everything) and the outward normal there.
Projection ontoBox(vec3 p, vec3 lo, vec3 hi) {
  vec3 clamped = clamp(p, lo, hi);
  vec3 away = p - clamped;
  float outside = length(away);
  if (outside > 0.0) return Projection(clamped, away / outside, outside);
  // Inside: the nearest face.
  vec3 below = p - lo, above = hi - p;
  int axis = 0;
  float nearest = below.x;
  float side = -1.0;
  for (int k = 0; k < 3; ++k) {
    if (below[k] < nearest) { nearest = below[k]; axis = k; side = -1.0; }
    if (above[k] < nearest) { nearest = above[k]; axis = k; side = 1.0; }
  }
  vec3 target = p;
  target[axis] = side < 0.0 ? lo[axis] : hi[axis];
  vec3 normal = vec3(0.0);
  normal[axis] = side;
  return Projection(target, normal, -nearest);
}

Projection ontoCylinder(vec3 p) {
  vec2 across = p.xy;
  float rho = length(across);
  vec2 radial = rho > 0.0 ? across / rho : vec2(1.0, 0.0);
  float lo = min(0.0, CylinderLength), hi = max(0.0, CylinderLength);
  const float kEverywhere = 3.0e38;
  // Without a bore the axis is no face.
  float inner = BoreRadius > 0.0 ? BoreRadius : -kEverywhere;
  Projection meridian = ontoBox(vec3(rho, p.z, 0.0), vec3(inner, lo, -kEverywhere), vec3(OuterRadius, hi, kEverywhere));
  return Projection(vec3(radial * meridian.target.x, meridian.target.y), vec3(radial * meridian.normal.x, meridian.normal.y),
                    meridian.distance);
}

vec3 meshVertexNormal(uint corner) { return meshNormals[meshTriangles[corner]].xyz; }

Projection ontoMesh(vec3 p) {
  Projection best = Projection(p, vec3(0.0), kDistanceLimit);
  float bestLength = 3.0e38;
  for (uint t = 0u; t < nMeshTriangles; ++t) {
    vec3 a = meshPositions[meshTriangles[3u * t]].xyz, b = meshPositions[meshTriangles[3u * t + 1u]].xyz,
         c = meshPositions[meshTriangles[3u * t + 2u]].xyz;
    int feature;
    vec3 q = closestPoint(p, a, b, c, feature);
    float len = length(p - q);
    if (len >= bestLength) continue;
    vec3 pseudo;
    if (feature == 0)
      pseudo = cross(b - a, c - a);
    else if (feature >= 4)
      pseudo = meshVertexNormal(3u * t + uint(feature - 4));
    else
      pseudo = meshVertexNormal(3u * t + uint(feature - 1)) + meshVertexNormal(3u * t + uint(feature) % 3u);
    float plen = length(pseudo);
    vec3 normal = plen > 0.0 ? pseudo / plen : vec3(0.0);
    bestLength = len;
    best = Projection(q, normal, dot(p - q, normal) < 0.0 ? -len : len);
  }
  return best;
}

void main() {
  uint v = InvocationOffset + gl_GlobalInvocationID.x;
  if (v >= nVertices) return;
  vec3 world = positions[v].xyz;
  if (StockKind == 0u || (StockKind == 3u && nMeshTriangles == 0u)) {
    records[v] = encodeProjection(vec3(0.0), vertexNormals[v].xyz, -1);
    distances[v] = encodeDistance(-kDistanceLimit);
    return;
  }
  Projection own;
  if (StockKind == 3u) {
    own = ontoMesh(world);  // the mesh is given in world coordinates
  } else {
    vec3 local = (WorldToStock * vec4(world, 1.0)).xyz;
    own = StockKind == 1u ? ontoBox(local, BoxMin, BoxMax) : ontoCylinder(local);
    // Back into the world; normals go with the inverse transpose, so that a
    // placement that scales keeps them square to the faces.
    bool inside = own.distance < 0.0;
    own.target = (StockToWorld * vec4(own.target, 1.0)).xyz;
    vec3 normal = transpose(mat3(WorldToStock)) * own.normal;
    own.normal = length(normal) > 0.0 ? normalize(normal) : normal;
    own.distance = inside ? -length(own.target - world) : length(own.target - world);
  }
  records[v] = encodeProjection(own.target - world, own.normal, -1);
  distances[v] = encodeDistance(own.distance);
}
