// The sweep of a profile whose every level is a disc (a neck or a waist is
// fine): each profile segment, closed by its level discs, is a convex solid
// with a convex sweep, and the ray's part goes in the union of their
// intervals. Included after ProfileSweep.glsl and IntervalMerge.glsl.
void shapeCut(vec3 origin, vec3 dir, uint axis, uvec3 rayNode) {
  vec3 move = sEnd - sStart;
  beginIntervals();
  for (int i = 1; i < sProfileCount; ++i) {
    float lo = 3.0e38, hi = -3.0e38;
    segmentPieces(origin, dir, sProfile[i - 1], sProfile[i], move, true, lo, hi);
    if (hi > lo) addInterval(axis, rayNode, vec2(lo, hi));
  }
  endIntervals(axis, rayNode);
}
