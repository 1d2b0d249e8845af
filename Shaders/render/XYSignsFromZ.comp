#version 430
// Builds the x and y copies of the sign field from the z copy, one output
// word per invocation.
layout(local_size_x = 128) in;

#include "StockLattice.glsl"

uniform uvec3 Resolution;
uniform uvec3 BoolPointsSize;
uniform uint InvocationOffset;  // first invocation of this dispatch

bool insideInZCopy(uvec3 n) {
  uint word = signCopyStart(Resolution, BoolPointsSize, 2u) + signRay(Resolution, 2u, n) * wordsPerRay(BoolPointsSize, 2u) + n.z / 32u;
  return ((signWords[word] >> (n.z % 32u)) & 1u) != 0u;
}

void main() {
  uvec3 g = Resolution;
  uint outWord = gl_GlobalInvocationID.x + InvocationOffset;
  uint xWords = signCopyStart(g, BoolPointsSize, 1u);
  uint yWords = signCopyStart(g, BoolPointsSize, 2u) - xWords;
  if (outWord >= xWords + yWords) return;
  uint axis = outWord < xWords ? 0u : 1u;
  uint local = axis == 0u ? outWord : outWord - xWords;
  uint perRay = wordsPerRay(BoolPointsSize, axis);
  uint ray = local / perRay;
  uint firstNode = (local % perRay) * 32u;
  // Node of the ray: x rays are numbered by (y, z), y rays by (z, x).
  uvec3 node = axis == 0u ? uvec3(0u, ray / g.z, ray % g.z) : uvec3(ray % g.x, 0u, ray / g.x);
  uint word = 0u;
  for (uint b = 0u; b < 32u && firstNode + b < g[axis]; ++b) {
    node[axis] = firstNode + b;
    if (insideInZCopy(node)) word |= 1u << b;
  }
  signWords[outWord] = word;
}
