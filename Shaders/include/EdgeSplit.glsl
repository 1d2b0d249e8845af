// The edges of a welded, closed mesh as half-edges: half-edge 3t + k runs
// from corner k of triangle t to corner k + 1. An edge is split where the
// surfaces its ends lie on meet (a crease the lattice cut as a chamfer):
// the half-edge whose start has the lower index owns the edge, finds the
// split point and enters itself in a hash table, where the opposite
// half-edge finds it.
const uint kNone = 0xFFFFFFFFu;

layout(std430, binding = 0) readonly buffer Positions { vec4 positions[]; };
layout(std430, binding = 1) readonly buffer Triangles { uint triangles[]; };
layout(std430, binding = 2) buffer EdgeTable { uint edgeTable[]; };

uniform uint nTriangles;
uniform uint TableMask;
uniform uint InvocationOffset;

#include "EdgeHash.glsl"
