#version 430
// Copies a box of the stock lattice to a scratch buffer and back: the node
// words of the box, then the sign-field words of the rays through it along
// x, y and z (whole words, so bits just outside the box travel with them).
// A partial cut is undone by saving its box before and restoring it after.
layout(local_size_x = 256) in;

#include "StockLattice.glsl"
layout(std430, binding = 2) buffer Scratch { uint scratch[]; };

uniform uvec3 NoOfCells;       // node counts G
uniform uvec3 BoolPointsSize;  // padded counts P
uniform uvec3 RegionLow;       // the box, inclusive node range
uniform uvec3 RegionHigh;
uniform uint Restore;          // 0 lattice to scratch, 1 back
uniform uint InvocationOffset;

// Words of the rays along axis within the box: (rays, words per ray).
uvec2 raySpan(uint axis) {
  uvec3 n = RegionHigh - RegionLow + 1u;
  uint words = RegionHigh[axis] / 32u - RegionLow[axis] / 32u + 1u;
  uint rays = axis == 0u ? n.y * n.z : axis == 1u ? n.z * n.x : n.x * n.y;
  return uvec2(rays, words);
}

// The lattice word of scratch entry i; false past the region.
bool latticeWord(uint i, out bool isNode, out uint index) {
  uvec3 n = RegionHigh - RegionLow + 1u;
  uint nodes = n.x * n.y * n.z;
  isNode = i < nodes;
  if (isNode) {
    uvec3 local = uvec3(i / (n.y * n.z), (i / n.z) % n.y, i % n.z);
    index = nodeIndex(NoOfCells, RegionLow + local);
    return true;
  }
  i -= nodes;
  for (uint axis = 0u; axis < 3u; ++axis) {
    uvec2 span = raySpan(axis);
    if (i >= span.x * span.y) {
      i -= span.x * span.y;
      continue;
    }
    uint ray = i / span.y, word = RegionLow[axis] / 32u + i % span.y;
    uint u = axis == 0u ? 1u : axis == 1u ? 2u : 0u;  // the ray's first and second index
    uint v = axis == 0u ? 2u : axis == 1u ? 0u : 1u;
    uvec3 node = RegionLow;
    node[u] += ray / (RegionHigh[v] - RegionLow[v] + 1u);
    node[v] += ray % (RegionHigh[v] - RegionLow[v] + 1u);
    index = signCopyStart(NoOfCells, BoolPointsSize, axis) + signRay(NoOfCells, axis, node) * wordsPerRay(BoolPointsSize, axis) + word;
    return true;
  }
  return false;
}

void main() {
  uint i = InvocationOffset + gl_GlobalInvocationID.x;
  bool isNode;
  uint index;
  if (!latticeWord(i, isNode, index)) return;
  if (Restore == 0u)
    scratch[i] = isNode ? nodeWords[index] : signWords[index];
  else if (isNode)
    nodeWords[index] = scratch[i];
  else
    signWords[index] = scratch[i];
}
