#version 430
// Outside bits: one bit per node in z-ray order (word x * G.y * (P.z / 32)
// + y * (P.z / 32) + z / 32), set where any of the three inside copies says
// outside. Bits past the last node read as outside.
//
// The x and y copies hold their flags across the z words, so 32 of their
// words, one per z of a z word, form a 32 x 32 bit matrix whose transpose
// gives that z word for 32 columns: every word of every copy is read once,
// never a bit at a time. Pass 0 combines the z copy with the x copy (an
// invocation per 32 columns along x at one y and one z word); pass 1 then
// adds what the y copy says (32 columns along y at one x).
layout(local_size_x = 128) in;

#include "StockLattice.glsl"

layout(std430, binding = 2) buffer OutsideBits { uint outsideBits[]; };

uniform uvec3 NoOfPoints;  // G
uniform uint Pass;
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
  uint zw = i % words;
  uint zCount = min(32u, g.z - zw * 32u);
  uint valid = zCount == 32u ? 0xFFFFFFFFu : (1u << zCount) - 1u;
  if (Pass == 0u) {
    if (i >= xWords * g.y * words) return;
    uint y = (i / words) % g.y, xb = i / (words * g.y);
    uint start = signCopyStart(g, p, 0u) + xb;
    for (uint r = 0u; r < 32u; ++r)
      rows[r] = r < zCount ? signWords[start + signRay(g, 0u, uvec3(0u, y, zw * 32u + r)) * xWords] : 0u;
    transposeRows();
    uint zStart = signCopyStart(g, p, 2u);
    for (uint c = 0u; c < 32u && xb * 32u + c < g.x; ++c) {
      uint w = ((xb * 32u + c) * g.y + y) * words + zw;
      outsideBits[w] = ~(signWords[zStart + w] & rows[c] & valid);
    }
  } else {
    if (i >= g.x * yWords * words) return;
    uint yb = (i / words) % yWords, x = i / (words * yWords);
    uint start = signCopyStart(g, p, 1u) + yb;
    for (uint r = 0u; r < 32u; ++r)
      rows[r] = r < zCount ? signWords[start + signRay(g, 1u, uvec3(x, 0u, zw * 32u + r)) * yWords] : 0u;
    transposeRows();
    for (uint c = 0u; c < 32u && yb * 32u + c < g.y; ++c) outsideBits[(x * g.y + yb * 32u + c) * words + zw] |= ~rows[c];
  }
}
