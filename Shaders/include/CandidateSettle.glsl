// The passes after the first over the candidate list: Stage 0 elects, in
// each shot, among the candidates that hold their vertex's minimum, the
// latest sweep; Stage 1 lets the elected ones write their shot's record.
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
  int bare = candidateValues[c];
  if (bare == kOutOfReach) return;
  uvec2 candidate = candidates[c];
  uint vertex = candidate.x & kCandidateVertexMask;
  uint flags = candidate.x & ~kCandidateVertexMask;
  if (Stage == 0u) {
    electCandidate(vertex, candidate.y, flags, bare);
    return;
  }
  if (!candidateWon(vertex, candidate.y, penalisedValue(bare, flags)) &&
      !candidateWon(ShotStride + vertex, candidate.y, bare))
    return;
  ToolPoint point = sweepPointFor(vertex, sweepAt(candidate.y));
  writeWinningCandidate(vertex, candidate.y, flags, bare, point);
}
