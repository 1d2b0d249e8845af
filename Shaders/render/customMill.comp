#version 430
// A tool with any profile whose every level is a disc (a neck or a waist is
// fine): each profile segment, closed by its level discs, is a convex solid
// with a convex sweep, and the ray's material goes in the union of their
// intervals. Intervals that overlap are merged; two disjoint ones are kept
// pending and a third one first takes the second off the ray.

#define SHRINK_FROM_WIDEST_RADIUS
#include "MillKernel.glsl"
#include "ProfileSweep.glsl"

void prepareShape() { prepareProfile(-10000.0); }

void shapeCut(vec3 origin, vec3 dir, uint axis, uvec3 rayNode) {
  vec3 move = sEnd - sStart;
  vec2 pending[2];
  int count = 0;
  for (int i = 1; i < sProfileCount; ++i) {
    float lo = 3.0e38, hi = -3.0e38;
    segmentPieces(origin, dir, sProfile[i - 1], sProfile[i], move, true, lo, hi);
    if (!(hi > lo)) continue;
    vec2 span = vec2(lo, hi);
    // Merge with every pending interval it touches, again after each merge.
    bool merged = true;
    while (merged) {
      merged = false;
      for (int p = 0; p < count; ++p) {
        if (span.x <= pending[p].y && pending[p].x <= span.y) {
          span = vec2(min(span.x, pending[p].x), max(span.y, pending[p].y));
          pending[p] = pending[count - 1];
          --count;
          merged = true;
          break;
        }
      }
    }
    if (count == 2) {
      subtractInterval(axis, rayNode, pending[1].x, pending[1].y);
      count = 1;
    }
    pending[count++] = span;
  }
  for (int p = 0; p < count; ++p) subtractInterval(axis, rayNode, pending[p].x, pending[p].y);
}
