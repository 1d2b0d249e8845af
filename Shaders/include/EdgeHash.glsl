// A hash table of a mesh's edges, each entered by one of its half-edges:
// half-edge 3t + k runs from corner k of triangle t to corner k + 1. The
// includer declares triangles[] and edgeTable[] (all ones when empty) and
// the uniform TableMask (the table's size less one, a power of two). The
// table is filled in one dispatch and read in later ones.
uint halfEdgeStart(uint h) { return triangles[h]; }
uint halfEdgeEnd(uint h) { return triangles[h - h % 3u + (h % 3u + 1u) % 3u]; }

uint edgeSlot(uint from, uint to) {
  uint x = from * 0x9e3779b1u ^ (to + 0x7f4a7c15u) * 0x85ebca6bu;
  x ^= x >> 15;
  x *= 0x2c1b3c6du;
  return (x ^ (x >> 12)) & TableMask;
}

void enterHalfEdge(uint h) {
  uint slot = edgeSlot(halfEdgeStart(h), halfEdgeEnd(h));
  for (uint probe = 0u; probe <= TableMask; ++probe) {
    if (atomicCompSwap(edgeTable[slot], 0xFFFFFFFFu, h) == 0xFFFFFFFFu) return;
    slot = (slot + 1u) & TableMask;
  }
}

// The half-edge entered for the edge from `from` to `to`, or all ones.
uint enteredHalfEdge(uint from, uint to) {
  uint slot = edgeSlot(from, to);
  for (uint probe = 0u; probe <= TableMask; ++probe) {
    uint h = edgeTable[slot];
    if (h == 0xFFFFFFFFu) return h;
    if (halfEdgeStart(h) == from && halfEdgeEnd(h) == to) return h;
    slot = (slot + 1u) & TableMask;
  }
  return 0xFFFFFFFFu;
}
