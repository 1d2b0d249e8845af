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
    if (dp <= 0.0) gKept[n++] = p;
    if ((dp < 0.0 && dq > 0.0) || (dp > 0.0 && dq < 0.0)) gKept[n++] = p + (q - p) * (dp / (dp - dq));
  }
  gCorners = n;
  for (int i = 0; i < n; ++i) gRegion[i] = gKept[i];
}

// The half-space normal . (x - start tip) <= c holds the tool: the ray
// point origin + s dir less t move must stay in it.
void clipBy(vec3 origin, vec3 dir, vec3 normal, float c) {
  clipRegion(dot(normal, dir), -dot(normal, sEnd - sStart), c - dot(normal, origin - sStart));
}

bool shapeInterval(vec3 origin, vec3 dir, out float lo, out float hi) {
  lo = 3.0e38;
  hi = -3.0e38;
  float end = float(NoOfCells[0] + NoOfCells[1] + NoOfCells[2]) + 2.0;
  gRegion[0] = vec2(-2.0, 0.0);
  gRegion[1] = vec2(end, 0.0);
  gRegion[2] = vec2(end, 1.0);
  gRegion[3] = vec2(-2.0, 1.0);
  gCorners = 4;
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
  for (int i = 0; i < gCorners; ++i) {
    lo = min(lo, gRegion[i].x);
    hi = max(hi, gRegion[i].x);
  }
  return gCorners > 0 && hi > lo;
}
