#version 430
// One round of the design field's wave front: each listed node takes the
// nearest of its own and its 26 neighbours' triangles; when that changed
// its triangle, every neighbour that the new triangle is nearer to than its
// own goes on the next list (once per round). The list is a ring: entries
// ListStart ... ListEnd - 1 (mod ListCapacity) now, the next round's after.
layout(local_size_x = 128) in;

#include "DesignField.glsl"

layout(std430, binding = 6) buffer Front { uint front[]; };
layout(std430, binding = 7) buffer Queued { uint queuedRound[]; };
layout(binding = 5, offset = 0) uniform atomic_uint frontCount;

uniform uint ListStart, ListEnd, ListCapacity;
uniform uint Round;
uniform uint InvocationOffset;

float distanceTo(vec3 p, uint tri) { return tri == kNoTriangle ? 3.0e38 : triangleDistance(p, tri); }

void main() {
  uint entry = ListStart + gl_GlobalInvocationID.x + InvocationOffset;
  if (entry >= ListEnd) return;
  uint index = front[entry % ListCapacity];
  ivec3 n = ivec3(nodeOfIndex(index));
  vec3 p = vec3(n);
  uint own = fieldTriangle[index], best = own;
  float nearest = distanceTo(p, own);
  for (int dx = -1; dx <= 1; ++dx)
    for (int dy = -1; dy <= 1; ++dy)
      for (int dz = -1; dz <= 1; ++dz) {
        ivec3 m = n + ivec3(dx, dy, dz);
        if (any(lessThan(m, ivec3(0))) || any(greaterThanEqual(m, ivec3(Resolution)))) continue;
        uint tri = fieldTriangle[gridNode(uvec3(m))];
        if (tri == kNoTriangle || tri == best) continue;
        float d = triangleDistance(p, tri);
        if (d < nearest) {
          nearest = d;
          best = tri;
        }
      }
  if (best == own) return;
  fieldTriangle[index] = best;
  for (int dx = -1; dx <= 1; ++dx)
    for (int dy = -1; dy <= 1; ++dy)
      for (int dz = -1; dz <= 1; ++dz) {
        ivec3 m = n + ivec3(dx, dy, dz);
        if (any(lessThan(m, ivec3(0))) || any(greaterThanEqual(m, ivec3(Resolution)))) continue;
        uint other = gridNode(uvec3(m));
        vec3 q = vec3(m);
        if (triangleDistance(q, best) >= distanceTo(q, fieldTriangle[other])) continue;
        if (atomicExchange(queuedRound[other], Round) == Round) continue;
        uint slot = atomicCounterIncrement(frontCount);
        if (slot < ListCapacity) front[(ListEnd + slot) % ListCapacity] = other;
      }
}
