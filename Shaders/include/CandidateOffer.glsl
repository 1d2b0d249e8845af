// First pass over the candidate list: each candidate in reach offers its
// competing values to its vertex (atomic minimum) and keeps the bare value
// and its flags for the passes after.
layout(local_size_x = 64) in;

#include "ToolSweepCandidate.glsl"

layout(std430, binding = 5) buffer Candidates { uvec2 candidates[]; };
layout(std430, binding = 6) writeonly buffer CandidateValues { int candidateValues[]; };

uniform uint nCandidates;
uniform uint InvocationOffset;

void main() {
  uint c = InvocationOffset + gl_GlobalInvocationID.x;
  if (c >= nCandidates) return;
  uvec2 candidate = candidates[c];
  uint vertex = candidate.x & kCandidateVertexMask;
  uint flags;
  int bare;
  ToolPoint point;
  if (!evaluateCandidate(vertex, candidate.y, flags, bare, point)) {
    candidateValues[c] = kOutOfReach;
    return;
  }
  candidates[c].x = vertex | flags;
  candidateValues[c] = bare;
  offerCandidate(vertex, flags, bare);
}
