#version 430
// Vertices placed on one point (near a sharp edge of the stock, vertices
// from both sides clamp onto it) become one, the lowest index among them:
// stage 0 finds each vertex's slot in a hash table of positions (the first
// to claim a slot holds it; a vertex with the same position meets it on the
// same probe sequence) and offers its index to the slot's lowest, stage 1
// points every triangle's corners at the lowest of their places,
// stage 2 flags the triangles that keep three corners and stage 3 moves
// those to their places in the kept list, by the flags' inclusive prefix
// sum.
layout(local_size_x = 256) in;

layout(std430, binding = 0) readonly buffer Positions { vec4 positions[]; };
layout(std430, binding = 1) buffer Triangles { uint triangles[]; };
layout(std430, binding = 2) buffer PositionTable { uint positionTable[]; };
layout(std430, binding = 3) buffer Slots { uint slots[]; };  // per vertex
layout(std430, binding = 6) buffer Lowest { uint lowest[]; };  // per slot, all ones at first
layout(std430, binding = 4) buffer Kept { uint kept[]; };
layout(std430, binding = 5) writeonly buffer KeptTriangles { uint keptTriangles[]; };

const uint kNone = 0xFFFFFFFFu;

uniform uint nVertices;
uniform uint nTriangles;
uniform uint TableMask;  // the table's size less one, a power of two
uniform uint Stage;
uniform uint InvocationOffset;

uint positionSlot(vec3 p) {
  uvec3 bits = floatBitsToUint(p);
  uint x = bits.x * 0x9e3779b1u ^ bits.y * 0x85ebca6bu ^ bits.z * 0xc2b2ae35u;
  x ^= x >> 15;
  x *= 0x2c1b3c6du;
  return (x ^ (x >> 12)) & TableMask;
}

void main() {
  uint i = InvocationOffset + gl_GlobalInvocationID.x;
  if (Stage == 0u) {
    if (i >= nVertices) return;
    vec3 p = positions[i].xyz;
    uint slot = positionSlot(p);
    for (uint probe = 0u; probe <= TableMask; ++probe) {
      uint held = atomicCompSwap(positionTable[slot], kNone, i);
      if (held == kNone || positions[held].xyz == p) break;
      slot = (slot + 1u) & TableMask;
    }
    slots[i] = slot;
    atomicMin(lowest[slot], i);
    return;
  }
  if (Stage == 1u) {
    if (i < 3u * nTriangles) triangles[i] = lowest[slots[triangles[i]]];
    return;
  }
  if (i >= nTriangles) return;
  uvec3 v = uvec3(triangles[3u * i], triangles[3u * i + 1u], triangles[3u * i + 2u]);
  if (Stage == 2u) {
    kept[i] = v.x == v.y || v.y == v.z || v.z == v.x ? 0u : 1u;
    return;
  }
  uint before = i == 0u ? 0u : kept[i - 1u];
  if (kept[i] == before) return;
  for (uint k = 0u; k < 3u; ++k) keptTriangles[3u * before + k] = v[k];
}
