#version 430
// For stocks limited to their own box: the top layer takes the sign of the
// first decided value below it. Phase 0 walks every column (x, y) down from
// the top node, phase 1 every line (x, 0 ... , top) along +y, phase 2 the
// line (0 ... , 0, top) along +x; each writes +1 (value >= 0) or -1 into
// its start node, phase 2 always (-1 when nothing was found).
layout(local_size_x = 128) in;

layout(std430, binding = 0) buffer NodeValues { int nodeValues[]; };

uniform uvec3 Resolution;
uniform uint Phase;
uniform uint InvocationOffset;  // first invocation of this dispatch

const int kUndecided = 0x00FFFFFF;

uint gridNode(uvec3 n) { return (n.x * Resolution.y + n.y) * Resolution.z + n.z; }

void main() {
  uvec3 g = Resolution;
  uint i = gl_GlobalInvocationID.x + InvocationOffset;
  uint top = g.z - 1u;
  uint walkers = Phase == 0u ? g.x * g.y : Phase == 1u ? g.x : 1u;
  if (i >= walkers) return;
  uvec3 start = Phase == 0u ? uvec3(i / g.y, i % g.y, top) : Phase == 1u ? uvec3(i, 0u, top) : uvec3(0u, 0u, top);
  uint axis = Phase == 0u ? 2u : Phase == 1u ? 1u : 0u;
  uint steps = g[axis];
  for (uint s = 0u; s < steps; ++s) {
    uvec3 node = start;
    node[axis] = axis == 2u ? top - s : s;
    int value = nodeValues[gridNode(node)];
    if (value != kUndecided) {
      nodeValues[gridNode(start)] = value >= 0 ? 1 : -1;
      return;
    }
  }
  if (Phase == 2u) nodeValues[gridNode(start)] = -1;
}
