#version 430
// Vertices placed on one point (near a sharp edge of the stock, vertices
// from both sides clamp onto it) become one, the lowest index among those
// joined to it by edges of no length. Vertices that meet only by position,
// on sheets of the surface that share no triangle there, stay apart: joining
// them would give edges with four triangles.
// Stage 0 starts every vertex's label at its own index; stage 1, for every
// edge whose ends have the same bits, lowers both ends and the higher of
// their labels' vertices to the lower label (hooking one group's root onto
// the other's, so a chain joins in few rounds whatever its index order);
// stage 2 follows each label to its label's label. Stages 1 and 2 repeat
// until neither changes a label (Changed stays 0). Stage 3
// points every triangle's corners at their labels, stage 4 flags the
// triangles that keep three corners and stage 5 moves those to their places
// in the kept list, by the flags' inclusive prefix sum.
layout(local_size_x = 256) in;

layout(std430, binding = 0) readonly buffer Positions { vec4 positions[]; };
layout(std430, binding = 1) buffer Triangles { uint triangles[]; };
layout(std430, binding = 2) buffer Labels { uint labels[]; };  // per vertex
layout(std430, binding = 3) buffer Changed { uint changed; };
layout(std430, binding = 4) buffer Kept { uint kept[]; };
layout(std430, binding = 5) writeonly buffer KeptTriangles { uint keptTriangles[]; };

uniform uint nVertices;
uniform uint nTriangles;
uniform uint Stage;
uniform uint InvocationOffset;

// Bits, not values: a NaN matches itself, and -0 stays apart from +0.
bool samePlace(uint a, uint b) {
  return floatBitsToUint(positions[a].xyz) == floatBitsToUint(positions[b].xyz);
}

void lowerTo(uint v, uint label) {
  if (atomicMin(labels[v], label) > label) changed = 1u;
}

void main() {
  uint i = InvocationOffset + gl_GlobalInvocationID.x;
  if (Stage == 0u) {
    if (i < nVertices) labels[i] = i;
    return;
  }
  if (Stage == 1u) {
    if (i >= 3u * nTriangles) return;
    uint t = i / 3u, corner = i % 3u;
    uint a = triangles[i], b = triangles[3u * t + (corner + 1u) % 3u];
    if (a == b || !samePlace(a, b)) return;
    uint la = labels[a], lb = labels[b];
    uint low = min(la, lb);
    lowerTo(max(la, lb), low);
    lowerTo(a, low);
    lowerTo(b, low);
    return;
  }
  if (Stage == 2u) {
    if (i >= nVertices) return;
    uint next = labels[labels[i]];
    if (next < labels[i]) lowerTo(i, next);
    return;
  }
  if (Stage == 3u) {
    if (i < 3u * nTriangles) triangles[i] = labels[triangles[i]];
    return;
  }
  if (i >= nTriangles) return;
  uvec3 v = uvec3(triangles[3u * i], triangles[3u * i + 1u], triangles[3u * i + 2u]);
  if (Stage == 4u) {
    kept[i] = v.x == v.y || v.y == v.z || v.z == v.x ? 0u : 1u;
    return;
  }
  uint before = i == 0u ? 0u : kept[i - 1u];
  if (kept[i] == before) return;
  for (uint k = 0u; k < 3u; ++k) keptTriangles[3u * before + k] = v[k];
}
