// One vertex against one tool sweep of the current batch: the closest
// point of the swept surface, and the values it competes with for the
// vertex. A candidate farther than maxError is out of reach. Its flags
// (bits 29-31 of the candidate's vertex word): 29 the vertex lies inside
// the sweep, 30 the surface there faces against the vertex's normal, 31
// the point is on the tool's top, which does not cut.
//
// Every vertex is settled twice at once, in two shots whose slots lie one
// after the other (the second at ShotStride + vertex): the first counts
// each of the last two flags as four length units more distance, the
// second takes the bare distance. Which result the vertex keeps is chosen
// after every batch has run.
//
// Three passes settle a vertex: every candidate offers its values (atomic
// minimum), the candidates that hold a minimum elect the latest sweep
// among them (atomic maximum: a later cut made the surface), and the
// elected one writes the record. The bare value is kept from the first
// pass, not computed again, and the penalised one follows from it in
// integers, so that the passes agree to the bit.
//
// The includer defines SWEEP_PROFILES where the batch holds a tool of a
// general profile: its forms, and the search for the surface from inside
// a sweep, cost every invocation something even where no sweep needs them.
#include "ProjectionRecord.glsl"

// The batch's sweeps, nine words each, then from word ProfileBase the
// general profiles' points, two a word.
layout(std430, binding = 4) readonly buffer Sweeps { vec4 sweepWords[]; };
uniform uint ProfileBase;

vec2 profilePoint(uint i) {
  vec4 w = sweepWords[ProfileBase + i / 2u];
  return (i & 1u) == 0u ? w.xy : w.zw;
}

#include "ToolSweep.glsl"

ToolSweep sweepAt(uint s) {
  uint w = 9u * s;
  return ToolSweep(sweepWords[w], sweepWords[w + 1u], sweepWords[w + 2u], sweepWords[w + 3u], sweepWords[w + 4u],
                   sweepWords[w + 5u], sweepWords[w + 6u], sweepWords[w + 7u], sweepWords[w + 8u]);
}

layout(std430, binding = 0) readonly buffer Positions { vec4 positions[]; };
layout(std430, binding = 1) readonly buffer VertexNormals { vec4 vertexNormals[]; };
layout(std430, binding = 2) buffer Records { uvec4 records[]; };
layout(std430, binding = 3) buffer Distances { int distances[]; };
layout(std430, binding = 7) buffer Winners { int winners[]; };  // per vertex: the elected sweep, -1 none

uniform float maxError;
uniform float LengthUnit;
uniform uint SweepBase;  // the index of the batch's first sweep among all
uniform uint nVertices;
uniform uint ShotStride;  // where the second shot's slots begin

const uint kCandidateInside = 1u << 29;
const uint kCandidateAgainstNormal = 1u << 30;
const uint kCandidateOnTop = 1u << 31;
const uint kCandidateVertexMask = kCandidateInside - 1u;

const uint kCandidatePenalties = kCandidateAgainstNormal | kCandidateOnTop;

// The vertex's point of the sweep's surface. From inside a sweep, the
// vertex's normal points the way out of it.
ToolPoint sweepPointFor(uint vertex, ToolSweep s) {
  vec3 p = positions[vertex].xyz;
#ifdef SWEEP_PROFILES
  return surfaceFromInside(s, p, vertexNormals[vertex].xyz, maxError, closestOnSweep(s, p));
#else
  return closestOnSweep(s, p);
#endif
}

// The bare competing value: -d with d the signed distance of the vertex
// from the surface (negative inside the sweep), encoded.
bool evaluateCandidate(uint vertex, uint sweep, out uint flags, out int bare, out ToolPoint point) {
  flags = 0u;
  bare = 0;
  ToolSweep s = sweepAt(sweep);
  vec3 p = positions[vertex].xyz;
  if (any(lessThan(p, s.boxMin.xyz)) || any(greaterThan(p, s.boxMax.xyz))) return false;
  point = sweepPointFor(vertex, s);
  if (!(abs(point.distance) <= maxError)) return false;
  if (point.distance < 0.0) flags |= kCandidateInside;
  // The material lies outside the tool: its outward normal points into it.
  if (dot(-point.normal, vertexNormals[vertex].xyz) < 0.0) flags |= kCandidateAgainstNormal;
  if (point.top) flags |= kCandidateOnTop;
  bare = encodeDistance(-point.distance);
  return true;
}

// The first shot's value: four length units more distance per penalty.
int penalisedValue(int bare, uint flags) {
  int unit = int(round(4.0 * LengthUnit * kDistanceScale));
  return bare + int(bitCount(flags & kCandidatePenalties)) * unit;
}

const int kOutOfReach = 2147483647;

// The first pass: the candidate offers both values.
void offerCandidate(uint vertex, uint flags, int bare) {
  atomicMin(distances[vertex], penalisedValue(bare, flags));
  atomicMin(distances[ShotStride + vertex], bare);
}

// The second pass: a candidate holding its vertex's minimum stands, in
// either shot.
void electCandidate(uint vertex, uint sweep, uint flags, int bare) {
  int id = int(SweepBase + sweep);
  if (penalisedValue(bare, flags) == distances[vertex]) atomicMax(winners[vertex], id);
  if (bare == distances[ShotStride + vertex]) atomicMax(winners[ShotStride + vertex], id);
}

// The third pass: whether the candidate won the slot's vertex.
bool candidateWon(uint slot, uint sweep, int value) {
  return value == distances[slot] && winners[slot] == int(SweepBase + sweep);
}

// The third pass: the winner of either shot writes that shot's record.
void writeWinningCandidate(uint vertex, uint sweep, uint flags, int bare, ToolPoint point) {
  uvec4 record = encodeProjection(point.target - positions[vertex].xyz, -point.normal, int(SweepBase + sweep));
  if (candidateWon(vertex, sweep, penalisedValue(bare, flags))) records[vertex] = record;
  if (candidateWon(ShotStride + vertex, sweep, bare)) records[ShotStride + vertex] = record;
}
