#version 430
// Second pass over the candidate list: the candidate whose distance is its
// vertex's minimum writes the vertex's projection record.
layout(local_size_x = 64) in;

#include "ToolSweepCandidate.glsl"

layout(std430, binding = 5) readonly buffer Candidates { uvec2 candidates[]; };

uniform uint nCandidates;
uniform uint InvocationOffset;

void main() {
  uint c = InvocationOffset + gl_GlobalInvocationID.x;
  if (c >= nCandidates) return;
  uvec2 candidate = candidates[c];
  uint vertex = candidate.x & kCandidateVertexMask;
  uint flags;
  int encoded;
  ToolPoint point;
  if (!evaluateCandidate(vertex, candidate.y, flags, encoded, point)) return;
  applyCandidate(vertex, candidate.y, encoded, point);
}
