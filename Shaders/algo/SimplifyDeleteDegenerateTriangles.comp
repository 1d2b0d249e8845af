#version 430
// Stage 0 flags the triangles that keep their area; stage 1 moves them and
// their attribute records to their places in the kept list, by the flags'
// inclusive prefix sum.
layout(local_size_x = 256) in;

#include "Simplify.glsl"

layout(std430, binding = 7) buffer Kept { uint kept[]; };
layout(std430, binding = 8) writeonly buffer KeptTriangles { uint keptTriangles[]; };
layout(std430, binding = 9) writeonly buffer KeptAttributes { uvec2 keptAttributes[]; };

uniform uint Stage;

void main() {
  uint t = InvocationOffset + gl_GlobalInvocationID.x;
  if (t >= nTriangles) return;
  if (Stage == 0u) {
    kept[t] = degenerate(cornersOf(t)) ? 0u : 1u;
    return;
  }
  uint before = t == 0u ? 0u : kept[t - 1u];
  if (kept[t] == before) return;
  for (uint k = 0u; k < 3u; ++k) keptTriangles[3u * before + k] = triangles[3u * t + k];
  keptAttributes[before] = attributes[t];
}
