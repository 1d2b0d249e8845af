// What the edge-collapse passes know of a vertex, one word each, and how a
// triangle's corners are read. A round of collapses starts with every word
// at its reset value: flags and removal errors 0, colour, score, target,
// edge table and opposites all ones.
const uint kNone = 0xFFFFFFFFu;
const uint kLocked = 1u;   // on a crease or a colour border: never removed
const uint kBlocked = 2u;  // a neighbour goes first this round
const uint kVetoed = 4u;   // its collapse would fold, pinch or move the surface too far

layout(std430, binding = 0) buffer Positions { vec4 positions[]; };
layout(std430, binding = 1) buffer Triangles { uint triangles[]; };
layout(std430, binding = 2) buffer Attributes { uvec2 attributes[]; };
layout(std430, binding = 3) buffer VertexFlags { uint vertexFlags[]; };
layout(std430, binding = 4) buffer VertexColours { uint vertexColours[]; };
layout(std430, binding = 5) buffer VertexScores { uint vertexScores[]; };
layout(std430, binding = 6) buffer VertexTargets { uint vertexTargets[]; };
// Kept across rounds: how far the surface may already have strayed from
// where this vertex's removed neighbours lay (float bits; non-negative
// floats order as their bits do, so atomicMax takes the larger).
layout(std430, binding = 10) buffer VertexErrors { uint vertexErrors[]; };
// Kept across rounds: 1 once a collapse of the vertex was vetoed. Its
// next round would likely pick the same edge and be vetoed again, and
// only hold its neighbours back; it stays from then on.
layout(std430, binding = 14) buffer Vetoed { uint vetoed[]; };
// This round: the error a removed vertex leaves (float bits).
layout(std430, binding = 11) buffer RemovalErrors { uint removalErrors[]; };
// This round: the mesh's edges, each entered once by either half-edge.
layout(std430, binding = 12) buffer EdgeTable { uint edgeTable[]; };
// This round, two words a vertex: the far corners of the triangles on the
// edge it collapses along.
layout(std430, binding = 13) buffer Opposites { uint opposites[]; };
// This round: the lowest claim key of the collapses onto the vertex, which
// is the one that goes.
layout(std430, binding = 15) buffer Claims { uint claims[]; };

uniform uint nTriangles;
uniform uint InvocationOffset;
uniform uint RoundSeed;  // another scramble each round
uniform uint TableMask;

#include "EdgeHash.glsl"

uvec3 cornersOf(uint t) { return uvec3(triangles[3u * t], triangles[3u * t + 1u], triangles[3u * t + 2u]); }

// A triangle two of whose corners are one vertex has no area: collapses
// leave such triangles behind, and they take no part in the next round.
bool degenerate(uvec3 v) { return v.x == v.y || v.y == v.z || v.z == v.x; }

vec3 positionOf(uint v) { return positions[v].xyz; }

// An edge's length in UnitLen steps: the scoring pass and the pass that
// finds each vertex's target must agree to the bit, so both use this.
uniform float UnitLen;
uint edgeScore(uint a, uint b) { return uint(min(distance(positionOf(a), positionOf(b)) / UnitLen, 4.0e9)); }

// Removed this round: free, first among its neighbours, a target found, no
// veto and no collapse before it on a vertex it touches.
bool collapses(uint v) { return vertexFlags[v] == 0u && vertexTargets[v] != kNone; }

// A scramble of vertex indices: the weld numbers vertices in the order of
// space, so ties broken by index alone would let few vertices go first.
uint scrambled(uint v) {
  v ^= v >> 16;
  v *= 0x7feb352du;
  v ^= v >> 15;
  v *= 0x846ca68bu;
  return v ^ (v >> 16);
}

// Which neighbour goes first: the shorter best edge, then the lower
// scrambled index (then the index); locked vertices never go.
bool goesBefore(uint u, uint v) {
  if ((vertexFlags[u] & kLocked) != 0u) return false;
  if ((vertexFlags[v] & kLocked) != 0u) return true;
  if (vertexScores[u] != vertexScores[v]) return vertexScores[u] < vertexScores[v];
  uint su = scrambled(u ^ RoundSeed), sv = scrambled(v ^ RoundSeed);
  return su < sv || (su == sv && u < v);
}

bool edgeExists(uint a, uint b) { return edgeEntered(a, b); }

// A collapse's claim key: its index scrambled by an odd factor, another
// order each round, and one that gives the index back.
uint claimKey(uint v) { return (v ^ RoundSeed) * 0x9e3779b1u; }
uint claimant(uint key) { return (key * 0x0e8b2f51u) ^ RoundSeed; }

void veto(uint v) {
  atomicOr(vertexFlags[v], kVetoed);
  vetoed[v] = 1u;
}
