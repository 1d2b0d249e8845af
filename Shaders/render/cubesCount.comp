#version 430
// Column counts: five words per mixed cube of each cell column (x, y),
// walking z a word of 32 nodes at a time over the four node columns around
// it. A slice where all four are outside, or all four inside, is uniform; a
// cube whose two slices are uniform the same way is skipped.
layout(local_size_x = 128) in;

layout(std430, binding = 2) readonly buffer OutsideBits { uint outsideBits[]; };
layout(std430, binding = 3) writeonly buffer ColumnCounts { uint columnCounts[]; };

uniform uvec3 NoOfPoints;  // G
uniform uint InvocationOffset;

void main() {
  uvec3 g = NoOfPoints;
  uint words = (g.z + 31u) / 32u;
  uint cellsX = g.x - 1u, cellsY = g.y - 1u;
  uint column = InvocationOffset + gl_GlobalInvocationID.x;
  if (column >= cellsX * cellsY) return;
  uint x = column % cellsX, y = column / cellsX;
  uint c00 = (x * g.y + y) * words, c10 = ((x + 1u) * g.y + y) * words;
  uint c01 = (x * g.y + y + 1u) * words, c11 = ((x + 1u) * g.y + y + 1u) * words;
  uint mixed = 0u;
  uint lastOut = 0u, lastIn = 0u;  // the previous word's top slice
  for (uint w = 0u; w < words; ++w) {
    uint a = outsideBits[c00 + w], b = outsideBits[c10 + w], c = outsideBits[c01 + w], d = outsideBits[c11 + w];
    uint allOut = a & b & c & d, allIn = ~(a | b | c | d);
    uint belowOut = (allOut << 1) | lastOut, belowIn = (allIn << 1) | lastIn;
    uint uniformCube = (allOut & belowOut) | (allIn & belowIn);
    uint nodesHere = g.z - w * 32u;
    uint valid = nodesHere >= 32u ? 0xFFFFFFFFu : (1u << nodesHere) - 1u;
    if (w == 0u) valid &= ~1u;  // no cube below node 0
    mixed += uint(bitCount(valid & ~uniformCube));
    lastOut = allOut >> 31;
    lastIn = allIn >> 31;
  }
  columnCounts[column] = 5u * mixed;
}
