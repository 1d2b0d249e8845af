// The stock lattice as every stock shader sees it: node words at binding 0
// (or NODE_WORDS_BINDING; crossing codes of the +x, +y, +z edges in bytes 0-2, owner in byte 3,
// node (x, y, z) at x * G.y * G.z + y * G.z + z) and the sign field at
// binding 1 (or SIGN_FIELD_BINDING; inside flags stored once along x rays by (y, z), once along y
// rays by (z, x), once along z rays by (x, y); each ray P / 32 words).
#include "ShaderContract.h"
#ifndef NODE_WORDS_BINDING
#define NODE_WORDS_BINDING GPU_LATTICE_NODE_WORDS_BINDING
#endif
#ifndef SIGN_FIELD_BINDING
#define SIGN_FIELD_BINDING GPU_LATTICE_SIGN_FIELD_BINDING
#endif
layout(std430, binding = NODE_WORDS_BINDING) buffer NodeWords { uint nodeWords[]; };
layout(std430, binding = SIGN_FIELD_BINDING) buffer SignField { uint signWords[]; };

uint nodeIndex(uvec3 nodes, uvec3 n) { return (n.x * nodes.y + n.y) * nodes.z + n.z; }

uint wordsPerRay(uvec3 padded, uint axis) { return padded[axis] / 32u; }

// First word of the copy of axis.
uint signCopyStart(uvec3 nodes, uvec3 padded, uint axis) {
  uint ax = nodes.y * nodes.z * wordsPerRay(padded, 0u);
  uint ay = nodes.x * nodes.z * wordsPerRay(padded, 1u);
  return axis == 0u ? 0u : axis == 1u ? ax : ax + ay;
}

// Number of node n's ray within the copy of axis.
uint signRay(uvec3 nodes, uint axis, uvec3 n) {
  return axis == 0u ? n.y * nodes.z + n.z : axis == 1u ? n.z * nodes.x + n.x : n.x * nodes.y + n.y;
}

// Replaces the crossing code of one axis; the other bytes of the word, which
// writers of the other axes may change at the same time, are kept.
void setCrossing(uint node, uint axis, uint code) {
  uint shift = 8u * axis;
  uint current = nodeWords[node];
  while (true) {
    uint wanted = (current & ~(0xFFu << shift)) | (code << shift);
    uint seen = atomicCompSwap(nodeWords[node], current, wanted);
    if (seen == current) break;
    current = seen;
  }
}

// The bits of word w (of a ray) that belong to nodes first ... last.
uint rangeMask(uint w, uint first, uint last) {
  uint low = w == first / 32u ? first % 32u : 0u;
  uint high = w == last / 32u ? last % 32u : 31u;
  return (0xFFFFFFFFu >> (31u - high)) & (0xFFFFFFFFu << low);
}

// Sets the inside bits of nodes first ... last (inclusive) of one ray whose
// flags start at word rayStart.
void setInsideBits(uint rayStart, uint first, uint last) {
  if (first > last) return;
  for (uint w = first / 32u; w <= last / 32u; ++w) atomicOr(signWords[rayStart + w], rangeMask(w, first, last));
}
