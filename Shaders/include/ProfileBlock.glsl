// A tool's profile as the profile shaders read it: a std140 uniform block
// with the segment count, the start point and, per segment, its end point
// (xy) and arc centre (zw); straight segments carry a centre height far
// below any arc's.
// The including source may read another block of the same layout by
// defining PROFILE_BLOCK_BINDING and PROFILE_BLOCK_SEGMENTS first.
#include "ShaderContract.h"

#ifndef PROFILE_BLOCK_BINDING
#define PROFILE_BLOCK_BINDING GPU_PROFILE_BLOCK_BINDING
#define PROFILE_BLOCK_SEGMENTS GPU_PROFILE_MAX_SEGMENTS
#endif

layout(std140, binding = PROFILE_BLOCK_BINDING) uniform ProfileBlock {
  uint segmentCount;
  vec2 profileStart;
  vec4 segments[PROFILE_BLOCK_SEGMENTS];
};

// The profile as a polyline of (radius, height) points, arcs whose centre
// height is at least arcThreshold replaced by 7 chords of equal angle.
const int kMaxProfilePoints = 1 + PROFILE_BLOCK_SEGMENTS * 7;

int profilePolyline(float arcThreshold, out vec2 points[kMaxProfilePoints]) {
  int count = 0;
  points[count++] = profileStart;
  vec2 previous = profileStart;
  uint n = min(segmentCount, uint(PROFILE_BLOCK_SEGMENTS));
  for (uint s = 0u; s < n; ++s) {
    vec2 end = segments[s].xy, centre = segments[s].zw;
    if (centre.y >= arcThreshold) {
      vec2 a = previous - centre, b = end - centre;
      float start = atan(a.y, a.x);
      float sweep = atan(a.x * b.y - a.y * b.x, dot(a, b));
      float radius = length(a);
      for (int c = 1; c < 7; ++c) {
        float angle = start + sweep * float(c) / 7.0;
        points[count++] = centre + radius * vec2(cos(angle), sin(angle));
      }
    }
    points[count++] = end;
    previous = end;
  }
  return count;
}
