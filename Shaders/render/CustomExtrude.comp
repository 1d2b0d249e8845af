#version 430
// A tool whose profile is extruded rather than turned (a blade, a form tool
// that does not spin): the polygon the profile closes, in the plane of the
// tool's axis and its x direction, extruded across that plane from
// ToolOffset over ToolDimension. The tool's x direction is the toolpath's x
// made square to the axis (its y where the axis runs along x), and the
// extrusion runs along axis × x. The sweep of a polygon prism is bounded by
// the prism's faces at start and at end and by its edges swept along the
// move; membership decides between their hits.

#define COLLECT_HITS
#include "MillKernel.glsl"
#include "ProfileBlock.glsl"
#include "ProfilePolygon.glsl"

uniform float ToolOffset;     // start of the extrusion across the profile plane
uniform float ToolDimension;  // depth of the extrusion

shared vec3 sAcross, sDepth;  // the tool's x and extrusion directions, grid space
shared float sNear, sFar;     // the extrusion range, grid units
shared vec2 sBoundsLow, sBoundsHigh;

void toolDimensions(out float radius, out float bottom, out float top) {
  vec2 points[kMaxProfilePoints];
  sProfileCount = profilePolyline(-10000.0, points);
  float across = max(abs(ToolOffset), abs(ToolOffset + ToolDimension));
  radius = 0.0;
  bottom = 3.0e38;
  top = -3.0e38;
  for (int i = 0; i < sProfileCount; ++i) {
    sProfile[i] = points[i];
    radius = max(radius, length(vec2(points[i].x, across)));
    bottom = min(bottom, points[i].y);
    top = max(top, points[i].y);
  }
}

void prepareShape() {
  // A rapid's shrink pulls the sides in; the profile's heights stay.
  float shrink = sFullRadius > 0.0 ? sRadius / sFullRadius : 1.0;
  sBoundsLow = vec2(3.0e38);
  sBoundsHigh = vec2(-3.0e38);
  for (int i = 0; i < sProfileCount; ++i) {
    sProfile[i] = vec2(sProfile[i].x * shrink, sProfile[i].y) * ToolScale;
    sBoundsLow = min(sBoundsLow, sProfile[i]);
    sBoundsHigh = max(sBoundsHigh, sProfile[i]);
  }
  float near = min(ToolOffset, ToolOffset + ToolDimension) * ToolScale;
  float far = max(ToolOffset, ToolOffset + ToolDimension) * ToolScale;
  sNear = near + sShrink;
  sFar = max(far - sShrink, sNear);
  vec3 x = mat3(ToolpathToSolid) * vec3(1.0, 0.0, 0.0);
  vec3 square = x - dot(x, sAxis) * sAxis;
  if (length(square) < 1e-3 * length(x)) {
    x = mat3(ToolpathToSolid) * vec3(0.0, 1.0, 0.0);
    square = x - dot(x, sAxis) * sAxis;
  }
  sAcross = normalize(square);
  sDepth = cross(sAxis, sAcross);
}

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
