// What the edge-collapse passes know of a vertex, one word each, and how a
// triangle's corners are read. A round of collapses starts with every word
// at its reset value: flags 0, colour, score and target all ones.
const uint kNone = 0xFFFFFFFFu;
const uint kLocked = 1u;   // on a crease or a colour border: never removed
const uint kBlocked = 2u;  // a neighbour goes first this round
const uint kVetoed = 4u;   // its collapse would fold or move the surface too far

layout(std430, binding = 0) buffer Positions { vec4 positions[]; };
layout(std430, binding = 1) buffer Triangles { uint triangles[]; };
layout(std430, binding = 2) buffer Attributes { uvec2 attributes[]; };
layout(std430, binding = 3) buffer VertexFlags { uint vertexFlags[]; };
layout(std430, binding = 4) buffer VertexColours { uint vertexColours[]; };
layout(std430, binding = 5) buffer VertexScores { uint vertexScores[]; };
layout(std430, binding = 6) buffer VertexTargets { uint vertexTargets[]; };

uniform uint nTriangles;
uniform uint InvocationOffset;
uniform uint RoundSeed;  // another scramble each round

uvec3 cornersOf(uint t) { return uvec3(triangles[3u * t], triangles[3u * t + 1u], triangles[3u * t + 2u]); }

// A triangle two of whose corners are one vertex has no area: collapses
// leave such triangles behind, and they take no part in the next round.
bool degenerate(uvec3 v) { return v.x == v.y || v.y == v.z || v.z == v.x; }

vec3 positionOf(uint v) { return positions[v].xyz; }

// Removed this round: free, first among its neighbours, a target found and
// no veto.
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
