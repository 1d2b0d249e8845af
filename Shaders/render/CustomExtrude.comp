#version 430
// An extruded profile of any shape (ExtrudedProfile.glsl). The sweep of a
// polygon prism is bounded by the prism's faces at start and at end and by
// its edges swept along the move; membership decides between their hits.

#define COLLECT_HITS
#include "MillKernel.glsl"
#include "ExtrudedProfile.glsl"

// A face of the prism across the extrusion, at depth `at` with the tip at
// `tip`: hit where the ray meets its plane inside the polygon's bounds.
void hitCap(vec3 origin, vec3 dir, vec3 tip, float at, inout float lo, inout float hi) {
  float facing = dot(dir, sDepth);
  if (abs(facing) < 1e-9) return;
  float t = (dot(tip - origin, sDepth) + at) / facing;
  vec3 q = origin + t * dir - tip;
  vec2 inPlane = vec2(dot(q, sAcross), dot(q, sAxis));
  if (all(greaterThanEqual(inPlane, sBoundsLow - 1e-4)) && all(lessThanEqual(inPlane, sBoundsHigh + 1e-4)))
    widen(t, lo, hi);
}

void collectHits(vec3 origin, vec3 dir, inout float lo, inout float hi) {
  vec3 move = sEnd - sStart;
  vec3 depth = sDepth * (sFar - sNear);
  for (int i = 0, j = sProfileCount - 1; i < sProfileCount; j = i++) {
    vec3 a = sStart + sAcross * sProfile[j].x + sAxis * sProfile[j].y + sDepth * sNear;
    vec3 edge = sAcross * (sProfile[i].x - sProfile[j].x) + sAxis * (sProfile[i].y - sProfile[j].y);
    hitParallelogram(origin, dir, a, edge, depth, lo, hi);         // side face at start
    hitParallelogram(origin, dir, a + move, edge, depth, lo, hi);  // and at end
    hitParallelogram(origin, dir, a, edge, move, lo, hi);          // near edge swept
    hitParallelogram(origin, dir, a + depth, edge, move, lo, hi);  // far edge swept
    hitParallelogram(origin, dir, a, depth, move, lo, hi);         // edge along the extrusion swept
  }
  hitCap(origin, dir, sStart, sNear, lo, hi);
  hitCap(origin, dir, sStart, sFar, lo, hi);
  hitCap(origin, dir, sEnd, sNear, lo, hi);
  hitCap(origin, dir, sEnd, sFar, lo, hi);
}

// The tool holds p at some point of the move when the path p - t move,
// t in 0 ... 1, within the extrusion's depth, starts inside the polygon or
// crosses one of its edges (in the tool's own coordinates).
bool sweepContains(vec3 p) {
  vec3 move = sEnd - sStart;
  vec3 q = p - sStart;
  vec3 c = vec3(dot(q, sAcross), dot(q, sAxis), dot(q, sDepth));
  vec3 m = vec3(dot(move, sAcross), dot(move, sAxis), dot(move, sDepth));
  float from = 0.0, to = 1.0;
  if (abs(m.z) < 1e-9) {
    if (c.z < sNear || c.z > sFar) return false;
  } else {
    float t1 = (c.z - sNear) / m.z, t2 = (c.z - sFar) / m.z;
    from = max(from, min(t1, t2));
    to = min(to, max(t1, t2));
    if (from > to) return false;
  }
  vec2 start = c.xy - from * m.xy, end = c.xy - to * m.xy;
  return insideProfile(start) || crossesProfile(start, end);
}

#include "SweepMembership.glsl"
