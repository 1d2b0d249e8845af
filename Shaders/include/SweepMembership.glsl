// The material of a sweep that is not convex. Every surface of the sweep
// lies in the pieces the shape hits (kept by widen with COLLECT_HITS), so
// between two neighbouring hits a ray is wholly inside or wholly outside;
// the shape's sweepContains decides at the middle of each stretch, and the
// inside stretches that touch become one interval. A ray with more hits than
// fit is taken a window at a time.
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

// Takes the inside stretches between the sorted hits, and between them and
// the window's ends, off the ray.
void cutStretches(uint axis, uvec3 rayNode, vec3 origin, vec3 dir, float from, float to) {
  bool open = false;
  float runStart = 0.0;
  float previous = from;
  for (int i = 0; i <= gHitCount; ++i) {
    float next = i < gHitCount ? gHits[i] : to;
    if (next - previous >= 1e-5) {
      bool inside = sweepContains(origin + dir * (0.5 * (previous + next)));
      if (inside && !open) runStart = previous;
      if (!inside && open) applyInterval(axis, rayNode, runStart, previous);
      open = inside;
    }
    previous = next;
  }
  if (open) applyInterval(axis, rayNode, runStart, to);
}

void shapeCut(vec3 origin, vec3 dir, uint axis, uvec3 rayNode) {
  // The part of the ray over the lattice, and a little beyond.
  float from = -1.0, to = float(NoOfCells[axis]) + 1.0;
  gWindowLow = from;
  gWindowHigh = to;
  gHitCount = 0;
  float lo = 3.0e38, hi = -3.0e38;
  collectHits(origin, dir, lo, hi);
  if (!(hi > lo)) return;
  from = max(from, lo);
  to = min(to, hi);
  if (!(to > from)) return;
  // Too many hits at once: the ray is taken in windows that each hold about
  // half as many as fit; a window that still overflows loses its detail.
  int windows = gHitCount <= kMaxHits ? 1 : min((2 * gHitCount + kMaxHits - 1) / kMaxHits, 64);
  for (int w = 0; w < windows; ++w) {
    float a = mix(from, to, float(w) / float(windows)), b = mix(from, to, float(w + 1) / float(windows));
    if (windows > 1) {
      gWindowLow = a;
      gWindowHigh = b;
      gHitCount = 0;
      collectHits(origin, dir, lo, hi);
    }
    if (gHitCount > kMaxHits) {
      if (sweepContains(origin + dir * (0.5 * (a + b)))) applyInterval(axis, rayNode, a, b);
      continue;
    }
    sortHits(gHitCount);
    cutStretches(axis, rayNode, origin, dir, a, b);
  }
}
