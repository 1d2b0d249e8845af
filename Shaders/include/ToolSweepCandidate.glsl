// One vertex against one tool sweep of the current batch: the closest
// point of the swept surface, and the value it competes with for the
// vertex. A candidate farther than maxError is out of reach. Its flags
// (bits 29-31 of the candidate's vertex word): 29 the vertex lies inside
// the sweep, 30 the surface there faces against the vertex's normal, 31
// the point is on the tool's top, which does not cut. Each of the last two
// makes the candidate four length units worse.
//
// Three passes settle a vertex: every candidate offers its value (atomic
// minimum), the candidates that hold the minimum elect the latest sweep
// among them (atomic maximum: a later cut made the surface), and the
// elected one writes the record. Values are kept from the first pass, not
// computed again, so that the passes agree to the bit.
#include "ProjectionRecord.glsl"

// The batch's sweeps, eight words each, then from word ProfileBase the
// general profiles' points, two a word.
layout(std430, binding = 4) readonly buffer Sweeps { vec4 sweepWords[]; };
uniform uint ProfileBase;

vec2 profilePoint(uint i) {
  vec4 w = sweepWords[ProfileBase + i / 2u];
  return (i & 1u) == 0u ? w.xy : w.zw;
}

#define SWEEP_PROFILES
#include "ToolSweep.glsl"

ToolSweep sweepAt(uint s) {
  uint w = 8u * s;
  return ToolSweep(sweepWords[w], sweepWords[w + 1u], sweepWords[w + 2u], sweepWords[w + 3u], sweepWords[w + 4u],
                   sweepWords[w + 5u], sweepWords[w + 6u], sweepWords[w + 7u]);
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

const uint kCandidateInside = 1u << 29;
const uint kCandidateAgainstNormal = 1u << 30;
const uint kCandidateOnTop = 1u << 31;
const uint kCandidateVertexMask = kCandidateInside - 1u;

bool evaluateCandidate(uint vertex, uint sweep, out uint flags, out int encoded, out ToolPoint point) {
  flags = 0u;
  encoded = 0;
  ToolSweep s = sweepAt(sweep);
  vec3 p = positions[vertex].xyz;
  if (any(lessThan(p, s.boxMin.xyz)) || any(greaterThan(p, s.boxMax.xyz))) return false;
  point = closestOnSweep(s, p);
  if (!(abs(point.distance) <= maxError)) return false;
  if (point.distance < 0.0) flags |= kCandidateInside;
  // The material lies outside the tool: its outward normal points into it.
  if (dot(-point.normal, vertexNormals[vertex].xyz) < 0.0) flags |= kCandidateAgainstNormal;
  if (point.top) flags |= kCandidateOnTop;
  float penalties = float(bitCount(flags & (kCandidateAgainstNormal | kCandidateOnTop)));
  encoded = encodeDistance(-point.distance - 4.0 * LengthUnit * penalties);
  return true;
}

const int kOutOfReach = 2147483647;

// The second pass: a candidate holding its vertex's minimum stands.
void electCandidate(uint vertex, uint sweep, int encoded) {
  if (encoded == distances[vertex]) atomicMax(winners[vertex], int(SweepBase + sweep));
}

// The third pass: whether the candidate won its vertex.
bool candidateWon(uint vertex, uint sweep, int encoded) {
  return encoded == distances[vertex] && winners[vertex] == int(SweepBase + sweep);
}

void writeCandidate(uint vertex, uint sweep, ToolPoint point) {
  records[vertex] = encodeProjection(point.target - positions[vertex].xyz, -point.normal, int(SweepBase + sweep));
}
