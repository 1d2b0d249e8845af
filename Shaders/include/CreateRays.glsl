// Stock creation along lattice rays, shared by the analytic solids. Each
// invocation takes 32 consecutive rays of the list of all x rays (by y, z),
// then all y rays (by z, x), then all z rays (by x, y). The including source
// defines
//   void prepareSolid();
//   int solidIntervals(vec3 rayOrigin, uint axis, out vec2 spans[2]);
// which give up to two material intervals along the ray, in grid units
// from the ray's node 0.
#include "StockLattice.glsl"

layout(local_size_x = 128) in;

uniform uvec3 PointsSize;      // node counts G
uniform uvec3 BoolPointsSize;  // padded counts P
uniform uint InvocationOffset;  // first invocation of this dispatch

const uint kRaysPerInvocation = 32u;

// Writes one material interval [a, b] of a ray: the entry and exit codes
// and the inside bits of the nodes between them.
void writeInterval(uvec3 rayNode, uint axis, float a, float b) {
  uint count = PointsSize[axis];
  a = max(a, 0.0);
  b = min(b, float(count));
  if (!(a < b)) return;
  const uint steps = GPU_CROSSING_STEPS;
  int entry = int(floor(a * float(steps) + 0.5));
  int exit = min(int(floor(b * float(steps) + 0.5)), int((count - 1u) * steps) - 1);
  uint i = uint(entry) / steps;
  if (i >= count) return;  // entering at the very end of the ray
  uint k = exit > entry ? uint(exit) / steps : i;
  uvec3 node = rayNode;
  node[axis] = i;
  setCrossing(nodeIndex(PointsSize, node), axis, GPU_CROSSING_ENTERING(uint(entry) - steps * i));
  if (k > i) {
    node[axis] = k;
    setCrossing(nodeIndex(PointsSize, node), axis, GPU_CROSSING_LEAVING(uint(exit) - steps * k));
  }
  uint rayStart = signCopyStart(PointsSize, BoolPointsSize, axis) +
                  signRay(PointsSize, axis, rayNode) * wordsPerRay(BoolPointsSize, axis);
  setInsideBits(rayStart, i + 1u, min(k, count - 1u));
}

// Ray r of the list: its axis and its node 0.
uvec3 rayNodeOf(uint r, out uint axis) {
  uvec3 g = PointsSize;
  if (r < g.y * g.z) {
    axis = 0u;
    return uvec3(0u, r / g.z, r % g.z);
  }
  r -= g.y * g.z;
  if (r < g.x * g.z) {
    axis = 1u;
    return uvec3(r % g.x, 0u, r / g.x);
  }
  r -= g.x * g.z;
  axis = 2u;
  return uvec3(r / g.y, r % g.y, 0u);
}

bool onBoundary(uvec3 node, uint axis) {
  for (uint k = 0u; k < 3u; ++k)
    if (k != axis && (node[k] == 0u || node[k] == PointsSize[k] - 1u)) return true;
  return false;
}

void main() {
  uvec3 g = PointsSize;
  uint rayCount = g.y * g.z + g.x * g.z + g.x * g.y;
  uint first = (gl_GlobalInvocationID.x + InvocationOffset) * kRaysPerInvocation;
  if (first >= rayCount) return;
  prepareSolid();
  uint end = min(first + kRaysPerInvocation, rayCount);
  for (uint r = first; r < end; ++r) {
    uint axis;
    uvec3 rayNode = rayNodeOf(r, axis);
    if (onBoundary(rayNode, axis)) continue;
    vec2 spans[2];
    int count = solidIntervals(vec3(rayNode), axis, spans);
    for (int s = 0; s < count; ++s) writeInterval(rayNode, axis, spans[s].x, spans[s].y);
  }
}
