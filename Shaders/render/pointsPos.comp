#version 430
// Outside bits: one bit per node in z-ray order (word x * G.y * (P.z / 32)
// + y * (P.z / 32) + z / 32), set where any of the three inside copies says
// outside. Bits past the last node read as outside.
layout(local_size_x = 128) in;

#include "StockLattice.glsl"

layout(std430, binding = 2) writeonly buffer OutsideBits { uint outsideBits[]; };

uniform uvec3 NoOfPoints;  // G
uniform uint InvocationOffset;

bool bitOf(uint word, uint at) { return ((word >> at) & 1u) != 0u; }

void main() {
  uvec3 g = NoOfPoints, p = (g + 31u) / 32u * 32u;
  uint words = p.z / 32u;
  uint w = InvocationOffset + gl_GlobalInvocationID.x;
  if (w >= g.x * g.y * words) return;
  uint x = w / (g.y * words), y = (w / words) % g.y, zw = w % words;
  uint zBits = signWords[signCopyStart(g, p, 2u) + (x * g.y + y) * words + zw];
  uint outside = 0u;
  for (uint b = 0u; b < 32u; ++b) {
    uint z = zw * 32u + b;
    bool inside = z < g.z && bitOf(zBits, b);
    if (inside) {
      uvec3 n = uvec3(x, y, z);
      inside = bitOf(signWords[signCopyStart(g, p, 0u) + signRay(g, 0u, n) * (p.x / 32u) + x / 32u], x % 32u) &&
               bitOf(signWords[signCopyStart(g, p, 1u) + signRay(g, 1u, n) * (p.y / 32u) + y / 32u], y % 32u);
    }
    if (!inside) outside |= 1u << b;
  }
  outsideBits[w] = outside;
}
