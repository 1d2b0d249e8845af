// The sweep of a profile that bounds a convex solid of revolution: the
// pieces of every profile segment together bound one convex sweep, so each
// ray meets it in one interval. Included after ProfileSweep.glsl.
bool shapeInterval(vec3 origin, vec3 dir, out float lo, out float hi) {
  lo = 3.0e38;
  hi = -3.0e38;
  vec3 move = sEnd - sStart;
  hitCircleLevel(origin, dir, sProfile[0], move, lo, hi);
  hitCircleLevel(origin, dir, sProfile[sProfileCount - 1], move, lo, hi);
  for (int i = 1; i < sProfileCount; ++i) segmentPieces(origin, dir, sProfile[i - 1], sProfile[i], move, false, lo, hi);
  return hi > lo;
}
