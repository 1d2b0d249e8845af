#version 430
// The seed band of the design field: every ray through a triangle's box
// (grown by Expand cells) meets the triangle's plane; the two nodes on
// either side of the hit get the exact distance to the triangle when it is
// at most 1.0001 cells. SeedPass 0 keeps each node's smallest distance
// (atomic min); SeedPass 1 gives the node the triangle at that distance
// (the lowest index among equals), so that distance and triangle agree
// whatever order the triangles ran in.
layout(local_size_x = 128) in;

#include "DesignField.glsl"

uniform int Expand;
uniform uint SeedPass;

void seedNode(uint tri, uvec3 node) {
  float d = triangleDistance(vec3(node), tri);
  if (!(d <= 1.0001)) return;
  int code = encodeDistance(d);
  uint index = gridNode(node);
  if (SeedPass == 0u)
    atomicMin(fieldDistance[index], code);
  else if (fieldDistance[index] == code)
    atomicMin(fieldTriangle[index], tri);
}

void main() {
  uint tri, firstRay, chunkRays;
  if (!chunkOfInvocation(tri, firstRay, chunkRays)) return;
  ivec3 low, high;
  triangleRayBox(tri, Expand, low, high);
  uint endRay = min(firstRay + chunkRays, triangleRayCount(low, high));
  vec3 a, b, c;
  triangleVertices(tri, a, b, c);
  vec3 normal = cross(b - a, c - a);
  for (uint r = firstRay; r < endRay; ++r) {
    uint axis;
    uvec3 node = triangleRay(low, high, r, axis);
    uint u = axis == 0u ? 1u : 0u, v = axis == 2u ? 1u : 2u;
    if (abs(normal[axis]) <= 1e-7 * length(normal)) continue;  // the plane runs along the ray
    float t = a[axis] + (normal[u] * (a[u] - float(node[u])) + normal[v] * (a[v] - float(node[v]))) / normal[axis];
    float last = float(Resolution[axis] - 1u);
    if (!(t >= -1.0 && t <= last + 1.0)) continue;
    int below = int(floor(t));
    for (int k = below; k <= below + 1; ++k) {
      if (k < 0 || k > int(last)) continue;
      node[axis] = uint(k);
      seedNode(tri, node);
    }
  }
}
