#version 430
// The span of every ray through the mesh, in 1/128 cell: first, second,
// last and second-to-last hit. Layer 0 finds the first and the last hit,
// and a hit equal to the current first or last also becomes the second or
// second-to-last: two hits at one position are two surfaces (a ray that
// runs through a sliver of material enters and leaves within 1/128 cell).
// Layer 1 lowers the second hit with every hit above the first and raises
// the second-to-last with every hit below the last.
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
      if (atomicMin(raySpans[span], hit) == hit) atomicMin(raySpans[span + 1u], hit);
      if (atomicMax(raySpans[span + 2u], hit) == hit) atomicMax(raySpans[span + 3u], hit);
    } else {
      if (hit > raySpans[span]) atomicMin(raySpans[span + 1u], hit);
      if (hit < raySpans[span + 2u]) atomicMax(raySpans[span + 3u], hit);
    }
  }
}
