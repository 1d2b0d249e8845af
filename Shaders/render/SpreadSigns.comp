#version 430
// Carries decided signs into undecided nodes. Phase 0 walks the line
// (x, 0, top) along +x, phase 1 every line (x, y, top) along +y, writing the
// last decided sign (outside at first) into every node; phase 2 walks every
// column down from the top and sets the bits of the nodes whose carried
// sign is inside in a z-ordered bit field.
layout(local_size_x = 128) in;

layout(std430, binding = 0) buffer NodeValues { int nodeValues[]; };
layout(std430, binding = 7) buffer InsideBits { uint insideBits[]; };

uniform uvec3 Resolution;
uniform uvec3 BoolPointsSize;  // padded counts P
uniform uint Phase;
uniform uint InvocationOffset;  // first invocation of this dispatch

const int kUndecided = 0x00FFFFFF;

uint gridNode(uvec3 n) { return (n.x * Resolution.y + n.y) * Resolution.z + n.z; }

void main() {
  uvec3 g = Resolution;
  uint i = gl_GlobalInvocationID.x + InvocationOffset;
  uint top = g.z - 1u;
  uint walkers = Phase == 0u ? 1u : Phase == 1u ? g.x : g.x * g.y;
  if (i >= walkers) return;

  int carried = 1;
  if (Phase < 2u) {
    uvec3 start = Phase == 0u ? uvec3(0u, 0u, top) : uvec3(i, 0u, top);
    uint axis = Phase == 0u ? 0u : 1u;
    for (uint s = 0u; s < g[axis]; ++s) {
      uvec3 node = start;
      node[axis] = s;
      uint index = gridNode(node);
      int value = nodeValues[index];
      if (value != kUndecided) carried = value >= 0 ? 1 : -1;
      nodeValues[index] = carried;
    }
    return;
  }

  uvec3 column = uvec3(i / g.y, i % g.y, 0u);
  uint words = BoolPointsSize.z / 32u;
  uint firstWord = i * words;
  uint word = 0u;
  for (int z = int(top); z >= 0; --z) {
    column.z = uint(z);
    int value = nodeValues[gridNode(column)];
    if (value != kUndecided) carried = value >= 0 ? 1 : -1;
    if (carried < 0) word |= 1u << (uint(z) % 32u);
    if (uint(z) % 32u == 0u) {
      insideBits[firstWord + uint(z) / 32u] = word;
      word = 0u;
    }
  }
}
