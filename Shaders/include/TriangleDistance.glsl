// Distances from a point to the triangles of a mesh (MeshRays.glsl), in
// grid units: the closest point with the feature it lies on, and the sign
// from that feature's pseudo-normal (positive outside).
// Closest point of triangle (a, b, c) to p; feature is 0 for the face,
// 1 + i for edge i (0: ab, 1: bc, 2: ca), 4 + i for vertex i.
vec3 closestPoint(vec3 p, vec3 a, vec3 b, vec3 c, out int feature) {
  vec3 ab = b - a, ac = c - a, ap = p - a;
  float d1 = dot(ab, ap), d2 = dot(ac, ap);
  if (d1 <= 0.0 && d2 <= 0.0) { feature = 4; return a; }
  vec3 bp = p - b;
  float d3 = dot(ab, bp), d4 = dot(ac, bp);
  if (d3 >= 0.0 && d4 <= d3) { feature = 5; return b; }
  float vc = d1 * d4 - d3 * d2;
  if (vc <= 0.0 && d1 >= 0.0 && d3 <= 0.0) { feature = 1; return a + ab * (d1 / (d1 - d3)); }
  vec3 cp = p - c;
  float d5 = dot(ab, cp), d6 = dot(ac, cp);
  if (d6 >= 0.0 && d5 <= d6) { feature = 6; return c; }
  float vb = d5 * d2 - d1 * d6;
  if (vb <= 0.0 && d2 >= 0.0 && d6 <= 0.0) { feature = 3; return a + ac * (d2 / (d2 - d6)); }
  float va = d3 * d6 - d5 * d4;
  if (va <= 0.0 && d4 - d3 >= 0.0 && d5 - d6 >= 0.0) {
    feature = 2;
    return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
  }
  float denominator = 1.0 / (va + vb + vc);
  feature = 0;
  return a + ab * (vb * denominator) + ac * (vc * denominator);
}

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
