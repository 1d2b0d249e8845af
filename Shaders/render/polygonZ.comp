#version 430
// A tool that does not turn and whose every level is a regular polygon of
// PolygonSides sides (a punch, a broach): the profile gives, at each height,
// the distance from the axis to the flats. One corner lies along the tool's
// x direction (ToolAcross.glsl), the others every 360 / sides degrees from
// there towards its third direction. Each rising profile segment spans a
// polygonal frustum, the intersection of sides + 2 half-spaces, whose sweep
// is convex; the ray's material is the union of their intervals.

#define SHRINK_FROM_WIDEST_RADIUS
#include "MillKernel.glsl"
#include "ProfileBlock.glsl"
#include "ProfilePolygon.glsl"
#include "ToolAcross.glsl"
#include "ConvexSweep.glsl"
#include "IntervalMerge.glsl"

uniform uint PolygonSides;

int sides() { return clamp(int(PolygonSides), 3, kMaxSides - 2); }

void toolDimensions(out float radius, out float bottom, out float top) {
  vec2 points[kMaxProfilePoints];
  sProfileCount = profilePolyline(-10000.0, points);
  float toCorner = 1.0 / cos(3.14159265 / float(sides()));
  radius = 0.0;
  bottom = 3.0e38;
  top = -3.0e38;
  for (int i = 0; i < sProfileCount; ++i) {
    sProfile[i] = points[i];
    radius = max(radius, abs(points[i].x) * toCorner);
    bottom = min(bottom, points[i].y);
    top = max(top, points[i].y);
  }
}

void prepareShape() {
  float shrink = sFullRadius > 0.0 ? sRadius / sFullRadius : 1.0;
  for (int i = 0; i < sProfileCount; ++i) sProfile[i] = vec2(sProfile[i].x * shrink, sProfile[i].y) * ToolScale;
  setToolAcross();
}

void shapeCut(vec3 origin, vec3 dir, uint axis, uvec3 rayNode) {
  int n = sides();
  beginIntervals();
  for (int i = 1; i < sProfileCount; ++i) {
    vec2 a = sProfile[i - 1], b = sProfile[i];
    if (a.y == b.y) continue;  // a level ring bounds no volume of its own
    if (a.y > b.y) {
      vec2 t = a;
      a = b;
      b = t;
    }
    // Flat k at distance a.x + slope (h - a.y) from the axis at height h.
    float slope = (b.x - a.x) / (b.y - a.y);
    startRegion();
    clipBy(origin, dir, -sAxis, -a.y);
    clipBy(origin, dir, sAxis, b.y);
    for (int k = 0; k < n && gCorners > 0; ++k) {
      float angle = 3.14159265 * float(2 * k + 1) / float(n);
      vec3 side = cos(angle) * sAcross + sin(angle) * sDepth;
      clipBy(origin, dir, side - slope * sAxis, a.x - slope * a.y);
    }
    float lo, hi;
    if (regionSpan(lo, hi)) addInterval(axis, rayNode, vec2(lo, hi));
  }
  endIntervals(axis, rayNode);
}
