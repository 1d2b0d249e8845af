#version 430
// Outside bits: one bit per node in z-ray order (word x * G.y * (P.z / 32)
// + y * (P.z / 32) + z / 32), set where any of the three inside copies says
// outside. Bits past the last node read as outside.
//
// Each invocation owns a tile of 32 x 32 columns over one word of z. The x
// and y copies hold their flags across the tile, so 32 of their words, one
// per z, form a 32 x 32 bit matrix whose transpose gives one z word per
// column: every word of every copy is read once, never a bit at a time.
layout(local_size_x = 128) in;

#include "StockLattice.glsl"

layout(std430, binding = 2) buffer OutsideBits { uint outsideBits[]; };

uniform uvec3 NoOfPoints;  // G
uniform uint InvocationOffset;

uint rows[32];

// rows[i] bit j becomes rows[j] bit i: the off-diagonal blocks of 16, 8, 4,
// 2 and 1 bits are swapped in turn.
void transposeRows() {
  uint mask = 0x0000FFFFu;
  for (uint span = 16u; span != 0u; span >>= 1u, mask ^= mask << span) {
    for (uint k = 0u; k < 32u; ++k) {
      if ((k & span) != 0u) continue;
      uint t = ((rows[k] >> span) ^ rows[k + span]) & mask;
      rows[k + span] ^= t;
      rows[k] ^= t << span;
    }
  }
}

void main() {
  uvec3 g = NoOfPoints, p = (g + 31u) / 32u * 32u;
  uint words = p.z / 32u, xWords = p.x / 32u, yWords = p.y / 32u;
  uint i = InvocationOffset + gl_GlobalInvocationID.x;
  if (i >= xWords * yWords * words) return;
  uint zw = i % words, yb = (i / words) % yWords, xb = i / (words * yWords);
  uint nodesHere = g.z - zw * 32u;
  uint valid = nodesHere >= 32u ? 0xFFFFFFFFu : (1u << nodesHere) - 1u;
  uint xStart = signCopyStart(g, p, 0u), yStart = signCopyStart(g, p, 1u), zStart = signCopyStart(g, p, 2u);
  uint zCount = min(32u, nodesHere);

  // The z copy and the x copy, one row of the tile (fixed y) at a time.
  for (uint dy = 0u; dy < 32u && yb * 32u + dy < g.y; ++dy) {
    uint y = yb * 32u + dy;
    for (uint r = 0u; r < 32u; ++r)
      rows[r] = r < zCount ? signWords[xStart + signRay(g, 0u, uvec3(0u, y, zw * 32u + r)) * xWords + xb] : 0u;
    transposeRows();
    for (uint c = 0u; c < 32u && xb * 32u + c < g.x; ++c) {
      uint w = ((xb * 32u + c) * g.y + y) * words + zw;
      outsideBits[w] = ~(signWords[zStart + w] & rows[c] & valid);
    }
  }
  // The y copy, one column of the tile (fixed x) at a time.
  for (uint dx = 0u; dx < 32u && xb * 32u + dx < g.x; ++dx) {
    uint x = xb * 32u + dx;
    for (uint r = 0u; r < 32u; ++r)
      rows[r] = r < zCount ? signWords[yStart + signRay(g, 1u, uvec3(x, 0u, zw * 32u + r)) * yWords + yb] : 0u;
    transposeRows();
    for (uint c = 0u; c < 32u && yb * 32u + c < g.y; ++c) outsideBits[(x * g.y + yb * 32u + c) * words + zw] |= ~rows[c];
  }
}
