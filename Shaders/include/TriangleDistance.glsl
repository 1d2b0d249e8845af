// Distances from a point to the triangles of a mesh (MeshRays.glsl), in
// grid units: the closest point with the feature it lies on, and the sign
// from that feature's pseudo-normal (positive outside).
#include "ClosestPointOnTriangle.glsl"

vec3 faceNormal(uint tri) {
  vec3 a, b, c;
  triangleVertices(tri, a, b, c);
  vec3 n = cross(b - a, c - a);
  float len = length(n);
  return len > 0.0 ? n / len : n;
}

// The pseudo-normal of a feature: the face normal inside the face, the sum
// of the two face normals on an edge (the two vertex normals on an open
// edge), the vertex normal at a vertex.
vec3 pseudoNormal(uint tri, int feature, vec3 normal) {
  if (feature == 0) return normal;
  if (feature >= 4) return gridVertexNormal(triangleCorners[3u * tri + uint(feature - 4)]);
  uint edge = uint(feature - 1);
  int neighbour = triangleNeighbours[3u * tri + edge];
  if (neighbour >= 0) return normal + faceNormal(uint(neighbour));
  return gridVertexNormal(triangleCorners[3u * tri + edge]) +
         gridVertexNormal(triangleCorners[3u * tri + (edge + 1u) % 3u]);
}

// The closest point of triangle tri to p (grid units), and the feature.
vec3 closestOnTriangle(vec3 p, uint tri, out int feature) {
  vec3 a, b, c;
  triangleVertices(tri, a, b, c);
  return closestPoint(p, a, b, c, feature);
}

float triangleDistance(vec3 p, uint tri) {
  int feature;
  return length(p - closestOnTriangle(p, tri, feature));
}

// Negative inside the mesh, as the pseudo-normal at the closest point says.
float signedTriangleDistance(vec3 p, uint tri) {
  int feature;
  vec3 q = closestOnTriangle(p, tri, feature);
  float d = length(p - q);
  return dot(p - q, pseudoNormal(tri, feature, faceNormal(tri))) < 0.0 ? -d : d;
}
