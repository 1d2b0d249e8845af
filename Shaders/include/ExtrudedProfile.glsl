// A tool whose profile is extruded rather than turned (a blade, a form tool
// that does not spin): the polygon the profile closes, in the plane of the
// tool's axis and its x direction, extruded across that plane from
// ToolOffset over ToolDimension. The tool's x direction is the toolpath's x
// made square to the axis (its y where the axis runs along x), and the
// extrusion runs along axis x tool x.
#include "ProfileBlock.glsl"
#include "ProfilePolygon.glsl"

uniform float ToolOffset;     // start of the extrusion across the profile plane
uniform float ToolDimension;  // depth of the extrusion

shared vec3 sAcross, sDepth;  // the tool's x and extrusion directions, grid space
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
  vec3 x = mat3(ToolpathToSolid) * vec3(1.0, 0.0, 0.0);
  vec3 square = x - dot(x, sAxis) * sAxis;
  if (length(square) < 1e-3 * length(x)) {
    x = mat3(ToolpathToSolid) * vec3(0.0, 1.0, 0.0);
    square = x - dot(x, sAxis) * sAxis;
  }
  sAcross = normalize(square);
  sDepth = cross(sAxis, sAcross);
}
