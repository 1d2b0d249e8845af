// The edges of a welded, closed mesh as half-edges: half-edge 3t + k runs
// from corner k of triangle t to corner k + 1. An edge is split where the
// surfaces its ends lie on meet (a crease the lattice cut as a chamfer):
// the half-edge whose start has the lower index owns the edge, finds the
// split point and enters itself in a hash table, where the opposite
// half-edge finds it.
const uint kNone = 0xFFFFFFFFu;

layout(std430, binding = 0) readonly buffer Positions { vec4 positions[]; };
layout(std430, binding = 1) readonly buffer Triangles { uint triangles[]; };
layout(std430, binding = 2) buffer EdgeTable { uint edgeTable[]; };

uniform uint nTriangles;
uniform uint TableMask;  // the table's size less one, a power of two
uniform uint InvocationOffset;

uint halfEdgeStart(uint h) { return triangles[h]; }
uint halfEdgeEnd(uint h) { return triangles[h - h % 3u + (h % 3u + 1u) % 3u]; }

uint edgeSlot(uint low, uint high) {
  uint x = low * 0x9e3779b1u ^ (high + 0x7f4a7c15u) * 0x85ebca6bu;
  x ^= x >> 15;
  x *= 0x2c1b3c6du;
  return (x ^ (x >> 12)) & TableMask;
}

void enterOwner(uint h) {
  uint slot = edgeSlot(halfEdgeStart(h), halfEdgeEnd(h));
  for (uint probe = 0u; probe <= TableMask; ++probe) {
    if (atomicCompSwap(edgeTable[slot], kNone, h) == kNone) return;
    slot = (slot + 1u) & TableMask;
  }
}

// The owning half-edge of the edge from `low` to `high`, if it is split.
uint splitOwnerOf(uint low, uint high) {
  uint slot = edgeSlot(low, high);
  for (uint probe = 0u; probe <= TableMask; ++probe) {
    uint h = edgeTable[slot];
    if (h == kNone) return kNone;
    if (halfEdgeStart(h) == low && halfEdgeEnd(h) == high) return h;
    slot = (slot + 1u) & TableMask;
  }
  return kNone;
}
