#version 430
// A tool whose profile is a closed loop (a ring cutter, a core drill): the
// loop's area turned about the axis, with whatever the loop encloses
// standing. Its sweep has holes, so the ray's material comes from the
// membership of the stretches between the hits of every profile segment's
// pieces.

#define SHRINK_FROM_WIDEST_RADIUS
#define COLLECT_HITS
#include "MillKernel.glsl"
#include "ProfileSweep.glsl"
#include "SweepMembership.glsl"

void prepareShape() { prepareProfile(-10000.0); }

// Each segment's cones and strips, and each corner's level pieces, once.
void collectHits(vec3 origin, vec3 dir, inout float lo, inout float hi) {
  vec3 move = sEnd - sStart;
  for (int i = 0, j = sProfileCount - 1; i < sProfileCount; j = i++) {
    if (sProfile[i] == sProfile[j]) continue;
    if (sProfile[i].y != sProfile[j].y) segmentPieces(origin, dir, sProfile[j], sProfile[i], move, false, lo, hi);
    hitCircleLevel(origin, dir, sProfile[i], move, lo, hi);
  }
}

// The tool holds p at some point of the move when the path p - t move,
// t in 0 ... 1, seen in the tool's meridian plane, starts inside the loop or
// crosses one of its edges. In that plane the path's height is linear in t
// and its squared radius quadratic.
bool sweepContains(vec3 p) {
  vec3 move = sEnd - sStart;
  vec3 q = p - sStart;
  float h0 = dot(q, sAxis), hm = dot(move, sAxis);
  vec3 qr = q - h0 * sAxis, mr = move - hm * sAxis;
  float qq = dot(qr, qr), qm = dot(qr, mr), mm = dot(mr, mr);
  if (insideProfile(vec2(sqrt(qq), h0))) return true;
  for (int i = 0, j = sProfileCount - 1; i < sProfileCount; j = i++) {
    vec2 a = sProfile[j], b = sProfile[i];
    if (a.y != b.y) {
      // The edge's radius at the path's height: alpha + beta t.
      float slope = (b.x - a.x) / (b.y - a.y);
      float alpha = a.x + (h0 - a.y) * slope, beta = -hm * slope;
      float roots[2];
      int count = quadraticRoots(mm - beta * beta, -(qm + alpha * beta), qq - alpha * alpha, roots);
      for (int r = 0; r < count; ++r) {
        float t = roots[r], h = h0 - hm * t;
        if (t >= 0.0 && t <= 1.0 && alpha + beta * t >= 0.0 && h >= min(a.y, b.y) && h <= max(a.y, b.y)) return true;
      }
    } else if (abs(hm) > 1e-9) {
      float t = (h0 - a.y) / hm;
      if (t < 0.0 || t > 1.0) continue;
      float radius = sqrt(max(qq - 2.0 * t * qm + t * t * mm, 0.0));
      if (radius >= min(a.x, b.x) && radius <= max(a.x, b.x)) return true;
    }
  }
  return false;
}
