#version 430
// The span of every ray through the mesh, in 1/128 cell: first, second,
// last and second-to-last hit. Layer 0 finds the first and the last hit;
// layer 1 the smallest hit above the first and the largest below the last.
// Hits at the same position count once, so a ray that grazes a shared edge
// (seen by both triangles) is not mistaken for one with more surfaces.
layout(local_size_x = 128) in;

layout(std430, binding = 6) buffer RaySpans { int raySpans[]; };  // 4 per ray

#include "MeshRays.glsl"

uniform uint Layer;

void main() {
  uint tri, firstRay, chunkRays;
  if (!chunkOfInvocation(tri, firstRay, chunkRays)) return;
  ivec3 low, high;
  triangleRayBox(tri, 0, low, high);
  uint endRay = min(firstRay + chunkRays, triangleRayCount(low, high));
  vec3 a, b, c;
  triangleVertices(tri, a, b, c);
  a = pushOffLatticeLines(a);
  b = pushOffLatticeLines(b);
  c = pushOffLatticeLines(c);

  for (uint r = firstRay; r < endRay; ++r) {
    uint axis;
    uvec3 node = triangleRay(low, high, r, axis);
    float t;
    if (!rayHit(a, b, c, axis, node, t)) continue;
    int hit = hitCode(t, axis);
    uint span = 4u * globalRay(axis, node);
    if (Layer == 0u) {
      atomicMin(raySpans[span], hit);
      atomicMax(raySpans[span + 2u], hit);
    } else {
      if (hit > raySpans[span]) atomicMin(raySpans[span + 1u], hit);
      if (hit < raySpans[span + 2u]) atomicMax(raySpans[span + 3u], hit);
    }
  }
}
