#version 430
// An extruded profile (ExtrudedProfile.glsl) whose polygon is convex with
// straight sides: the prism is the intersection of half-spaces, and so is
// its sweep in the (ray parameter s, move parameter t) plane. The ray's one
// interval is the s-range of that convex region, clipped from the strip
// t in 0 ... 1 by every half-space.

#define POLYGON_SIDES
#include "MillKernel.glsl"
#include "SingleInterval.glsl"
#include "ExtrudedProfile.glsl"
#include "ConvexSweep.glsl"

bool shapeInterval(vec3 origin, vec3 dir, out float lo, out float hi) {
  startRegion();
  clipBy(origin, dir, sDepth, sFar);
  clipBy(origin, dir, -sDepth, -sNear);
  // Outward normals of the sides: which way round the polygon runs decides.
  int sides = min(sProfileCount, kMaxSides);
  float area = 0.0;
  for (int i = 0, j = sides - 1; i < sides; j = i++) area += cross2(sProfile[j], sProfile[i]);
  float outward = area >= 0.0 ? 1.0 : -1.0;
  for (int i = 0, j = sides - 1; i < sides && gCorners > 0; j = i++) {
    vec2 a = sProfile[j], e = sProfile[i] - a;
    float len = length(e);
    if (len < 1e-7) continue;
    vec2 n = outward * vec2(e.y, -e.x) / len;
    clipBy(origin, dir, sAcross * n.x + sAxis * n.y, dot(n, a));
  }
  return regionSpan(lo, hi);
}
