#version 430
// Signed distances near the surface. For each ray of a triangle's grown box
// the nodes from two before to three after the ray's crossing with the
// triangle's plane get the distance to the triangle, signed by the
// pseudo-normal of the closest feature (face, edge or vertex). Distances up
// to 1.42 cells are stored as sign * (whole cells * 1,000,000 + the first
// six decimals) where they are smaller in magnitude than what the node holds.
layout(local_size_x = 128) in;

layout(std430, binding = 0) buffer NodeValues { int nodeValues[]; };

#include "MeshRays.glsl"
#include "TriangleDistance.glsl"

uniform int Expand;

const float kLargestStored = 1.42;

void storeSmaller(uint node, int value) {
  int current = nodeValues[node];
  while (abs(value) < abs(current)) {
    int seen = atomicCompSwap(nodeValues[node], current, value);
    if (seen == current) break;
    current = seen;
  }
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
  float normalLength = length(normal);
  if (normalLength <= 0.0) return;
  normal /= normalLength;

  vec3 triangleLow = min(a, min(b, c)), triangleHigh = max(a, max(b, c));
  for (uint r = firstRay; r < endRay; ++r) {
    uint axis;
    uvec3 node = triangleRay(low, high, r, axis);
    if (abs(normal[axis]) < 1e-7) continue;
    // A ray farther than the stored distance from the triangle's box, seen
    // along the ray, passes no node close enough to store.
    vec3 outsideBox = max(max(triangleLow - vec3(node), vec3(node) - triangleHigh), vec3(0.0));
    outsideBox[axis] = 0.0;
    if (dot(outsideBox, outsideBox) > kLargestStored * kLargestStored) continue;
    vec3 origin = vec3(node);
    origin[axis] = 0.0;
    float t = dot(normal, a - origin) / normal[axis];
    int crossing = int(clamp(floor(t), -4.0, float(Resolution[axis]) + 4.0));
    int first = max(crossing - 2, 0);
    int last = min(crossing + 3, int(Resolution[axis]) - 1);
    for (int i = first; i <= last; ++i) {
      node[axis] = uint(i);
      vec3 p = vec3(node);
      if (abs(dot(p - a, normal)) > kLargestStored) continue;
      int feature;
      vec3 closest = closestPoint(p, a, b, c, feature);
      float distance = length(p - closest);
      if (distance > kLargestStored) continue;
      float whole = floor(distance);
      int magnitude = int(whole) * 1000000 + int(floor((distance - whole) * 1000000.0));
      bool outside = dot(p - closest, pseudoNormal(tri, feature, normal)) >= 0.0;
      storeSmaller(gridNode(node), outside ? magnitude : -magnitude);
    }
  }
}
