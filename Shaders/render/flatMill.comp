#version 430
// A flat end mill: a cylinder of ToolRadius from the tip up to ToolLength.
// Its sweep is the hull of the cylinder at start and at end.

uniform float ToolLength;
uniform float ToolRadius;

#define SMALL_MOVE_SET_UP
#include "MillKernel.glsl"
#include "SingleInterval.glsl"

MOVE_SHARED vec3 sBottom0, sBottom1;  // tip centres, lifted for rapids

void toolDimensions(out float radius, out float bottom, out float top) {
  radius = ToolRadius;
  bottom = 0.0;
  top = ToolLength;
}

void prepareShape() {
  // A rapid's tool is lifted by half its shrink as well.
  vec3 lift = sAxis * (0.5 * sShrink);
  sBottom0 = sStart + lift;
  sBottom1 = sEnd + lift;
}

bool shapeInterval(vec3 origin, vec3 dir, out float lo, out float hi) {
  lo = 3.0e38;
  hi = -3.0e38;
  vec3 move = sBottom1 - sBottom0;
  vec3 up = sAxis * sLength;
  float r = sRadius;
  hitCylinder(origin, dir, sBottom0, sAxis, r, 0.0, sLength, lo, hi);
  hitCylinder(origin, dir, sBottom1, sAxis, r, 0.0, sLength, lo, hi);
  hitDisc(origin, dir, sBottom0, sAxis, r, lo, hi);
  hitDisc(origin, dir, sBottom1, sAxis, r, lo, hi);
  hitDisc(origin, dir, sBottom0 + up, sAxis, r, lo, hi);
  hitDisc(origin, dir, sBottom1 + up, sAxis, r, lo, hi);
  hitSweptCircle(origin, dir, sBottom0, sAxis, r, move, lo, hi);
  hitSweptCircle(origin, dir, sBottom0 + up, sAxis, r, move, lo, hi);
  hitParallelogram(origin, dir, sBottom0 - sV * r, sV * (2.0 * r), move, lo, hi);
  hitParallelogram(origin, dir, sBottom0 + up - sV * r, sV * (2.0 * r), move, lo, hi);
  hitParallelogram(origin, dir, sBottom0 + sV * r, move, up, lo, hi);
  hitParallelogram(origin, dir, sBottom0 - sV * r, move, up, lo, hi);
  return hi > lo;
}
