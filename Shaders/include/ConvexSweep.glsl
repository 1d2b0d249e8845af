// The sweep of a convex tool piece given as half-spaces: a point of the
// ray origin + s dir lies in the sweep when, for some t in 0 ... 1, the
// point less t move lies in every half-space. Those (s, t) form a convex
// region of the parameter plane, clipped here from the strip t in 0 ... 1
// one half-space at a time; its s-range is the ray's interval.

// A convex region has at most one corner per half-plane that bounds it:
// the strip's four, the two extrusion faces and one per side.
const int kMaxSides = 129;
const int kMaxRegionCorners = kMaxSides + 6;
vec2 gRegion[kMaxRegionCorners];
vec2 gKept[kMaxRegionCorners];
int gCorners;

// Keeps the part of the convex region where a s + b t <= c.
void clipRegion(float a, float b, float c) {
  int n = 0;
  for (int i = 0; i < gCorners; ++i) {
    vec2 p = gRegion[i], q = gRegion[(i + 1) % gCorners];
    float dp = a * p.x + b * p.y - c, dq = a * q.x + b * q.y - c;
    // Rounding could make a nearly flat corner look like two crossings:
    // the region never holds more corners than fit.
    if (dp <= 0.0 && n < kMaxRegionCorners) gKept[n++] = p;
    if (((dp < 0.0 && dq > 0.0) || (dp > 0.0 && dq < 0.0)) && n < kMaxRegionCorners)
      gKept[n++] = p + (q - p) * (dp / (dp - dq));
  }
  gCorners = n;
  for (int i = 0; i < n; ++i) gRegion[i] = gKept[i];
}

// The half-space normal . (x - start tip) <= c holds the tool piece.
void clipBy(vec3 origin, vec3 dir, vec3 normal, float c) {
  clipRegion(dot(normal, dir), -dot(normal, sEnd - sStart), c - dot(normal, origin - sStart));
}

// The strip over the whole lattice and a little beyond.
void startRegion() {
  float end = float(max(NoOfCells.x, max(NoOfCells.y, NoOfCells.z))) + 2.0;
  gRegion[0] = vec2(-2.0, 0.0);
  gRegion[1] = vec2(end, 0.0);
  gRegion[2] = vec2(end, 1.0);
  gRegion[3] = vec2(-2.0, 1.0);
  gCorners = 4;
}

// The region's s-range; false when nothing is left.
bool regionSpan(out float lo, out float hi) {
  lo = 3.0e38;
  hi = -3.0e38;
  for (int i = 0; i < gCorners; ++i) {
    lo = min(lo, gRegion[i].x);
    hi = max(hi, gRegion[i].x);
  }
  return gCorners > 0 && hi > lo;
}
