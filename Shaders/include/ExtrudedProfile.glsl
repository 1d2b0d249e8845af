// A tool whose profile is extruded rather than turned (a blade, a form tool
// that does not spin): the polygon the profile closes, in the plane of the
// tool's axis and its x direction, extruded across that plane from
// ToolOffset over ToolDimension. The extrusion runs along the tool's third
// direction (ToolAcross.glsl).
#include "ProfileBlock.glsl"
#include "ProfilePolygon.glsl"
#include "ToolAcross.glsl"

uniform float ToolOffset;     // start of the extrusion across the profile plane
uniform float ToolDimension;  // depth of the extrusion

shared float sNear, sFar;     // the extrusion range, grid units
shared vec2 sBoundsLow, sBoundsHigh;

#ifdef POLYGON_SIDES
uniform uint PolygonSides;  // the polygon's corners, all joined by straight sides
#endif

void toolDimensions(out float radius, out float bottom, out float top) {
  vec2 points[kMaxProfilePoints];
  sProfileCount = profilePolyline(-10000.0, points);
#ifdef POLYGON_SIDES
  sProfileCount = min(sProfileCount, int(PolygonSides));
#endif
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
  setToolAcross();
}
