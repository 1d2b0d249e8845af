#version 430
// Cube records: five words per mixed cube, each column's cubes from its
// exclusive prefix on, by increasing z. Words 0-2 hold the twelve edge codes
// (bit 7 of each replaced by the outside flag of the edge's first node),
// word 3 the owners (slot bits, owner A, owner B) and the corner mask, word
// 4 the cell index.
layout(local_size_x = 128) in;

#include "StockLattice.glsl"

layout(std430, binding = 2) readonly buffer OutsideBits { uint outsideBits[]; };
layout(std430, binding = 3) readonly buffer ColumnSums { uint columnSums[]; };
layout(std430, binding = 4) writeonly buffer Cubes { uint cubes[]; };

uniform uvec3 NoOfPoints;  // G
uniform bool InitialBlockDistinct;
uniform uint InvocationOffset;

const uvec3 kCorner[8] = uvec3[8](uvec3(0, 0, 0), uvec3(1, 0, 0), uvec3(1, 1, 0), uvec3(0, 1, 0), uvec3(0, 0, 1),
                                  uvec3(1, 0, 1), uvec3(1, 1, 1), uvec3(0, 1, 1));

uvec3 g;
uint words;

bool outsideAt(uvec3 n) {
  return ((outsideBits[(n.x * g.y + n.y) * words + n.z / 32u] >> (n.z % 32u)) & 1u) != 0u;
}

// Code of the edge from corner `first` along axis, bit 7 the corner's outside flag.
uint edgeCode(uint word, uint axis, bool firstOutside) {
  return ((word >> (8u * axis)) & 0x7Fu) | (firstOutside ? 0x80u : 0u);
}

void main() {
  g = NoOfPoints;
  words = (g.z + 31u) / 32u;
  uint cellsX = g.x - 1u, cellsY = g.y - 1u;
  uint column = InvocationOffset + gl_GlobalInvocationID.x;
  if (column >= cellsX * cellsY) return;
  uint x = column % cellsX, y = column / cellsX;
  uint at = column == 0u ? 0u : columnSums[column - 1u];
  uint end = columnSums[column];
  uint c00 = (x * g.y + y) * words, c10 = ((x + 1u) * g.y + y) * words;
  uint c01 = (x * g.y + y + 1u) * words, c11 = ((x + 1u) * g.y + y + 1u) * words;
  uint lastOut = 0u, lastIn = 0u;
  // Uniform stretches are skipped a word of 32 nodes at a time, as counted.
  for (uint w = 0u; w < words && at < end; ++w) {
    uint a = outsideBits[c00 + w], b = outsideBits[c10 + w], c = outsideBits[c01 + w], d = outsideBits[c11 + w];
    uint allOut = a & b & c & d, allIn = ~(a | b | c | d);
    uint uniformCube = (allOut & ((allOut << 1) | lastOut)) | (allIn & ((allIn << 1) | lastIn));
    uint nodesHere = g.z - w * 32u;
    uint mixedCubes = (nodesHere >= 32u ? 0xFFFFFFFFu : (1u << nodesHere) - 1u) & ~uniformCube;
    if (w == 0u) mixedCubes &= ~1u;
    lastOut = allOut >> 31;
    lastIn = allIn >> 31;
    while (mixedCubes != 0u) {
      uint z = w * 32u + uint(findLSB(mixedCubes));
      mixedCubes &= mixedCubes - 1u;
      uvec3 base = uvec3(x, y, z - 1u);
      uint mask = 0u;
      bool outside[8];
      for (uint i = 0u; i < 8u; ++i) {
        outside[i] = outsideAt(base + kCorner[i]);
        if (!outside[i]) mask |= 1u << i;
      }
      uint node[8];
      for (uint i = 0u; i < 8u; ++i) node[i] = nodeWords[nodeIndex(g, base + kCorner[i])];
      // Edges by their first corner and axis: 0 (c0 x), 1 (c1 y), 2 (c3 x),
      // 3 (c0 y), 4 (c4 x), 5 (c5 y), 6 (c7 x), 7 (c4 y), 8-11 (c0, c1, c2, c3 z).
      uint e0 = edgeCode(node[0], 0u, outside[0]), e3 = edgeCode(node[0], 1u, outside[0]);
      uint e8 = edgeCode(node[0], 2u, outside[0]), e1 = edgeCode(node[1], 1u, outside[1]);
      uint e9 = edgeCode(node[1], 2u, outside[1]), e10 = edgeCode(node[2], 2u, outside[2]);
      uint e2 = edgeCode(node[3], 0u, outside[3]), e11 = edgeCode(node[3], 2u, outside[3]);
      uint e4 = edgeCode(node[4], 0u, outside[4]), e7 = edgeCode(node[4], 1u, outside[4]);
      uint e5 = edgeCode(node[5], 1u, outside[5]), e6 = edgeCode(node[7], 0u, outside[7]);
      // Owners: up to two distinct ones among the outside corners.
      uint ownerA = 0u, ownerB = 0u, slots = 0u;
      for (uint i = 0u; i < 8u; ++i) {
        if (!outside[i]) continue;
        uint owner = node[i] >> 24;
        if (owner == 0u && !InitialBlockDistinct) owner = 2u;
        if (owner != ownerA && owner != ownerB) {
          if (ownerA <= ownerB)
            ownerA = max(ownerA, owner);
          else
            ownerB = max(ownerB, owner);
        }
        if (owner == ownerB) slots |= 1u << i;
      }
      cubes[at] = e0 | (e3 << 8) | (e8 << 16) | (e1 << 24);
      cubes[at + 1u] = e9 | (e10 << 8) | (e2 << 16) | (e11 << 24);
      cubes[at + 2u] = e4 | (e7 << 8) | (e5 << 16) | (e6 << 24);
      cubes[at + 3u] = slots | (ownerA << 8) | (ownerB << 16) | (mask << 24);
      cubes[at + 4u] = (x * cellsY + y) * (g.z - 1u) + (z - 1u);
      at += 5u;
    }
  }
}
