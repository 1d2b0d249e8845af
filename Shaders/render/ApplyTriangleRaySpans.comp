#version 430
// Inside or outside by the vote of a node's three rays. With s0 the first,
// s1 the second, s2 the last and s3 the second-to-last hit of a ray and p
// the node's position in 1/128 cell, the ray votes outside when it has no
// span or p lies before or after it, and inside when p lies in the ray's
// first or last material span (or anywhere within a span of only two hits).
// Two votes decide, or one outside vote against none inside; other nodes
// keep their value.
#include "ShaderContract.h"

layout(local_size_x = 128) in;

layout(std430, binding = 0) buffer NodeValues { int nodeValues[]; };
layout(std430, binding = 6) readonly buffer RaySpans { ivec4 raySpans[]; };

uniform uvec3 Resolution;
uniform uint ChunkSize;  // nodes per invocation
uniform uint InvocationOffset;  // first invocation of this dispatch

uint globalRay(uint axis, uvec3 node) {
  uvec3 g = Resolution;
  if (axis == 0u) return node.y * g.z + node.z;
  if (axis == 1u) return g.y * g.z + node.x * g.z + node.z;
  return g.y * g.z + g.x * g.z + node.x * g.y + node.y;
}

void main() {
  uvec3 g = Resolution;
  uint nodeCount = g.x * g.y * g.z;
  uint first = (gl_GlobalInvocationID.x + InvocationOffset) * ChunkSize;
  if (first >= nodeCount) return;
  uint end = min(first + ChunkSize, nodeCount);
  for (uint index = first; index < end; ++index) {
    uvec3 node = uvec3(index / (g.y * g.z), (index / g.z) % g.y, index % g.z);
    int insideVotes = 0, outsideVotes = 0;
    for (uint axis = 0u; axis < 3u; ++axis) {
      ivec4 s = raySpans[globalRay(axis, node)];
      int p = int(node[axis] * GPU_CROSSING_STEPS);
      bool hasSpan = s.z > s.x;
      if (!hasSpan || p <= s.x || p > s.z) {
        ++outsideVotes;
      } else if ((s.y < s.w && (p <= s.y || p > s.w)) || (s.y >= s.w && s.x < p && p < s.z)) {
        ++insideVotes;
      }
    }
    if ((outsideVotes >= 1 && insideVotes == 0) || outsideVotes >= 2)
      nodeValues[index] = 1;
    else if (insideVotes >= 2)
      nodeValues[index] = -1;
  }
}
