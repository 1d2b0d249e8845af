// The union of intervals a ray meets one piece at a time: intervals that
// overlap are merged; two disjoint ones are kept pending, and a third one
// first applies the second to the ray (applyInterval).
vec2 gPending[2];
int gPendingCount;

void beginIntervals() { gPendingCount = 0; }

void addInterval(uint axis, uvec3 rayNode, vec2 span) {
  // Merge with every pending interval it touches, again after each merge.
  bool merged = true;
  while (merged) {
    merged = false;
    for (int p = 0; p < gPendingCount; ++p) {
      if (span.x <= gPending[p].y && gPending[p].x <= span.y) {
        span = vec2(min(span.x, gPending[p].x), max(span.y, gPending[p].y));
        gPending[p] = gPending[gPendingCount - 1];
        --gPendingCount;
        merged = true;
        break;
      }
    }
  }
  if (gPendingCount == 2) {
    applyInterval(axis, rayNode, gPending[1].x, gPending[1].y);
    gPendingCount = 1;
  }
  gPending[gPendingCount++] = span;
}

void endIntervals(uint axis, uvec3 rayNode) {
  for (int p = 0; p < gPendingCount; ++p) applyInterval(axis, rayNode, gPending[p].x, gPending[p].y);
}
