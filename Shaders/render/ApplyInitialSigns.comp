#version 430
// Turns the spread signs of one column (x, y) into the z copy of the sign
// field and the node words: 0 for inside nodes, 0x00FFFFFF (no crossing
// recorded) for outside ones. The border layer is outside. Nodes next to
// the +x and +y border are outside too and carry a leaving crossing at the
// node itself towards the border, so the surface closes there.
layout(local_size_x = 128) in;

#include "StockLattice.glsl"
layout(std430, binding = 7) readonly buffer InsideBits { uint insideBits[]; };

uniform uvec3 Resolution;
uniform uvec3 BoolPointsSize;
uniform uint InvocationOffset;  // first invocation of this dispatch

const uint kOutside = 0x00FFFFFFu;
const uint kClosedTowardsX = 0x00FFFF7Fu;
const uint kClosedTowardsY = 0x00FF7FFFu;

void main() {
  uvec3 g = Resolution;
  uint column = gl_GlobalInvocationID.x + InvocationOffset;
  if (column >= g.x * g.y) return;
  uint x = column / g.y, y = column % g.y;
  uint words = BoolPointsSize.z / 32u;
  uint bitsStart = column * words;
  uint signStart = signCopyStart(g, BoolPointsSize, 2u) + column * words;
  bool borderColumn = x == 0u || y == 0u || x == g.x - 1u || y == g.y - 1u;
  bool beforeBorderX = x == g.x - 2u, beforeBorderY = y == g.y - 2u;

  uint signWord = 0u;
  for (uint z = 0u; z < g.z; ++z) {
    bool border = borderColumn || z == 0u || z == g.z - 1u;
    bool inside = !border && !beforeBorderX && !beforeBorderY &&
                  ((insideBits[bitsStart + z / 32u] >> (z % 32u)) & 1u) != 0u;
    uint word = inside ? 0u : kOutside;
    if (beforeBorderX) word &= kClosedTowardsX;
    if (beforeBorderY) word &= kClosedTowardsY;
    nodeWords[nodeIndex(g, uvec3(x, y, z))] = word;
    if (inside) signWord |= 1u << (z % 32u);
    if (z % 32u == 31u || z == g.z - 1u) {
      signWords[signStart + z / 32u] = signWord;
      signWord = 0u;
    }
  }
}
