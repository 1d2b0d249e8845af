// The material of a sweep that is not convex. Every surface of the sweep
// lies in the pieces the shape hits (kept by widen with COLLECT_HITS), so
// between two neighbouring hits a ray is wholly inside or wholly outside;
// the shape's sweepContains decides at the middle of each stretch, and the
// inside stretches that touch become one interval.
//
// The including source defines:
//   void collectHits(vec3 origin, vec3 dir, inout float lo, inout float hi);
//     hits every piece that may bound the sweep (more is harmless)
//   bool sweepContains(vec3 p);  // some position of the tool on the move holds p

void collectHits(vec3 origin, vec3 dir, inout float lo, inout float hi);
bool sweepContains(vec3 p);

void sortHits(int count) {
  for (int i = 1; i < count; ++i) {
    float t = gHits[i];
    int j = i - 1;
    while (j >= 0 && gHits[j] > t) {
      gHits[j + 1] = gHits[j];
      --j;
    }
    gHits[j + 1] = t;
  }
}

void shapeCut(vec3 origin, vec3 dir, uint axis, uvec3 rayNode) {
  gHitCount = 0;
  float lo = 3.0e38, hi = -3.0e38;
  collectHits(origin, dir, lo, hi);
  if (!(hi > lo)) return;
  if (gHitCount > kMaxHits) {
    // More surfaces on one ray than can be sorted out: the whole span goes,
    // as for a convex tool.
    subtractInterval(axis, rayNode, lo, hi);
    return;
  }
  sortHits(gHitCount);
  float end = float(NoOfCells[axis]) + 1.0;
  bool open = false;
  float from = 0.0;
  for (int i = 0; i + 1 < gHitCount; ++i) {
    float a = gHits[i], b = gHits[i + 1];
    if (b - a < 1e-5 || b <= 0.0) continue;
    if (a >= end) break;
    bool inside = sweepContains(origin + dir * (0.5 * (a + b)));
    if (inside && !open) from = a;
    if (!inside && open) subtractInterval(axis, rayNode, from, a);
    open = inside;
  }
  if (open) subtractInterval(axis, rayNode, from, gHits[gHitCount - 1]);
}
