#version 430
// The first wave front of the design field: every node without a triangle
// next to (6-neighbour) one with a triangle goes on the list.
layout(local_size_x = 256) in;

#include "DesignField.glsl"

layout(std430, binding = 6) buffer Front { uint front[]; };
layout(std430, binding = 7) buffer Queued { uint queuedRound[]; };
layout(binding = 5, offset = 0) uniform atomic_uint frontCount;

uniform uint ListCapacity;
uniform uint InvocationOffset;

void main() {
  uint index = gl_GlobalInvocationID.x + InvocationOffset;
  if (index >= nodeCount() || fieldTriangle[index] != kNoTriangle) return;
  ivec3 n = ivec3(nodeOfIndex(index));
  bool nextToSeed = false;
  for (int k = 0; k < 3 && !nextToSeed; ++k)
    for (int s = -1; s <= 1 && !nextToSeed; s += 2) {
      ivec3 m = n;
      m[k] += s;
      if (m[k] < 0 || m[k] >= int(Resolution[k])) continue;
      nextToSeed = fieldTriangle[gridNode(uvec3(m))] != kNoTriangle;
    }
  if (!nextToSeed) return;
  queuedRound[index] = 1u;
  uint slot = atomicCounterIncrement(frontCount);
  if (slot < ListCapacity) front[slot] = index;
}
