#version 430
// Exact crossings of a mesh stock: every triangle hit on a ray writes its
// position (1/128 cell) as the crossing code of the edge it lies on, where
// the two nodes of that edge differ (the top bit of a node's code byte
// tells whether it is outside). A hit within 3/128 of a node on an edge
// whose nodes agree moves to the neighbouring edge that changes sign, unless
// that edge already holds a crossing.
layout(local_size_x = 128) in;

#include "StockLattice.glsl"
#include "MeshRays.glsl"

// The top bit of a node's code byte tells whether it is outside, except on
// the nodes next to the +x and +y border: they are outside, and their x or
// y byte holds the leaving crossing that closes the surface there.
bool outsideAt(uvec3 node, uint axis) {
  if (axis < 2u && node[axis] == Resolution[axis] - 2u) return true;
  return ((nodeWords[gridNode(node)] >> (8u * axis)) & 0x80u) != 0u;
}

uint codeFor(bool outside, uint fraction) {
  return outside ? GPU_CROSSING_ENTERING(fraction) : GPU_CROSSING_LEAVING(fraction);
}

// Sets a moved crossing only where the edge holds none yet: 0 and 255 are
// what every inside and outside node starts with (they also stand for a
// crossing at the far end of the edge, which a moved placement may then
// replace by one just as far along).
void setCrossingIfFree(uint node, uint axis, uint code) {
  uint shift = 8u * axis;
  uint current = nodeWords[node];
  while (true) {
    uint byte = (current >> shift) & 0xFFu;
    if (byte != 0u && byte != 255u) return;
    uint wanted = (current & ~(0xFFu << shift)) | (code << shift);
    uint seen = atomicCompSwap(nodeWords[node], current, wanted);
    if (seen == current) return;
    current = seen;
  }
}

void main() {
  uint tri, firstRay, chunkRays;
  if (!chunkOfInvocation(tri, firstRay, chunkRays)) return;
  ivec3 low, high;
  triangleRayBox(tri, 0, low, high);
  uint endRay = min(firstRay + chunkRays, triangleRayCount(low, high));
  vec3 a, b, c;
  triangleVertices(tri, a, b, c);
  a = pushOffLatticeLines(a);
  b = pushOffLatticeLines(b);
  c = pushOffLatticeLines(c);

  for (uint r = firstRay; r < endRay; ++r) {
    uint axis;
    uvec3 node = triangleRay(low, high, r, axis);
    float t;
    if (!rayHit(a, b, c, axis, node, t)) continue;
    uint hit = uint(hitCode(t, axis));
    uint n = hit / GPU_CROSSING_STEPS, f = hit % GPU_CROSSING_STEPS;
    uint last = Resolution[axis] - 1u;
    uvec3 at = node, next = node;
    at[axis] = n;
    next[axis] = n + 1u;
    bool outsideN = outsideAt(at, axis);
    if (outsideN != outsideAt(next, axis) || n == 0u || n + 2u >= Resolution[axis]) {
      setCrossing(gridNode(at), axis, codeFor(outsideN, f));
      continue;
    }
    uvec3 before = node;
    before[axis] = n - 1u;
    if (f < 3u && outsideAt(before, axis) != outsideN) {
      setCrossingIfFree(gridNode(before), axis, codeFor(!outsideN, 127u));
      continue;
    }
    uvec3 afterNext = node;
    afterNext[axis] = n + 2u;
    if (f >= 125u && n + 2u <= last && outsideAt(next, axis) != outsideAt(afterNext, axis))
      setCrossingIfFree(gridNode(next), axis, codeFor(outsideN, 0u));
  }
}
