// One vertex against one tool sweep of the current batch: the closest
// point of the swept surface, and the value it competes with for the
// vertex. A candidate farther than maxError is out of reach. Its flags
// (bits 29-31 of the candidate's vertex word): 29 the vertex lies inside
// the sweep, 30 the surface there faces against the vertex's normal, 31
// the point is on the tool's top, which does not cut. Each of the last two
// makes the candidate four length units worse.
#include "ProjectionRecord.glsl"
#include "ToolSweep.glsl"

layout(std430, binding = 0) readonly buffer Positions { vec4 positions[]; };
layout(std430, binding = 1) readonly buffer VertexNormals { vec4 vertexNormals[]; };
layout(std430, binding = 2) buffer Records { uvec4 records[]; };
layout(std430, binding = 3) buffer Distances { int distances[]; };
layout(std430, binding = 4) readonly buffer Sweeps { ToolSweep sweeps[]; };

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
  ToolSweep s = sweeps[sweep];
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

// The second pass: the candidate that holds the vertex's minimum writes it.
void applyCandidate(uint vertex, uint sweep, int encoded, ToolPoint point) {
  if (distances[vertex] != encoded) return;
  records[vertex] = encodeProjection(point.target - positions[vertex].xyz, -point.normal, int(SweepBase + sweep));
}
