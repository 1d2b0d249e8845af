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

// The same table keyed by an edge's ends in either order: each edge is
// entered once, by whichever of its half-edges comes first. A border edge
// that only one triangle holds is entered all the same.
bool isHalfEdgeOf(uint h, uint a, uint b) {
  uint from = halfEdgeStart(h), to = halfEdgeEnd(h);
  return (from == a && to == b) || (from == b && to == a);
}

void enterEdge(uint h) {
  uint a = halfEdgeStart(h), b = halfEdgeEnd(h);
  uint slot = edgeSlot(min(a, b), max(a, b));
  for (uint probe = 0u; probe <= TableMask; ++probe) {
    uint held = atomicCompSwap(edgeTable[slot], 0xFFFFFFFFu, h);
    if (held == 0xFFFFFFFFu || isHalfEdgeOf(held, a, b)) return;
    slot = (slot + 1u) & TableMask;
  }
}

bool edgeEntered(uint a, uint b) {
  uint slot = edgeSlot(min(a, b), max(a, b));
  for (uint probe = 0u; probe <= TableMask; ++probe) {
    uint h = edgeTable[slot];
    if (h == 0xFFFFFFFFu) return false;
    if (isHalfEdgeOf(h, a, b)) return true;
    slot = (slot + 1u) & TableMask;
  }
  return false;
}
