#version 430
// The passes after the first over the candidate list: Stage 0 elects, among
// the candidates that hold their vertex's minimum, the latest sweep; Stage
// 1 lets the elected one write the vertex's projection record.
layout(local_size_x = 64) in;

#include "ToolSweepCandidate.glsl"

layout(std430, binding = 5) readonly buffer Candidates { uvec2 candidates[]; };
layout(std430, binding = 6) readonly buffer CandidateValues { int candidateValues[]; };

uniform uint nCandidates;
uniform uint Stage;
uniform uint InvocationOffset;

void main() {
  uint c = InvocationOffset + gl_GlobalInvocationID.x;
  if (c >= nCandidates) return;
  int encoded = candidateValues[c];
  if (encoded == kOutOfReach) return;
  uvec2 candidate = candidates[c];
  uint vertex = candidate.x & kCandidateVertexMask;
  if (Stage == 0u) {
    electCandidate(vertex, candidate.y, encoded);
    return;
  }
  if (!candidateWon(vertex, candidate.y, encoded)) return;
  ToolPoint point = closestOnSweep(sweepAt(candidate.y), positions[vertex].xyz);
  writeCandidate(vertex, candidate.y, point);
}
