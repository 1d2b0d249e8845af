#version 430
// A ball end mill: a ball of BallRadius at the tip and a shank of the same
// radius up to ToolLength. The ball sweeps a capsule; the shank sweeps the
// hull of its cylinder at start and at end.

uniform float ToolLength;
uniform float BallRadius;

#define SMALL_MOVE_SET_UP
#include "MillKernel.glsl"
#include "SingleInterval.glsl"

MOVE_SHARED vec3 sCentre0, sCentre1;  // ball centres
MOVE_SHARED float sShank;             // shank length above the ball centre

void toolDimensions(out float radius, out float bottom, out float top) {
  radius = BallRadius;
  bottom = 0.0;
  top = ToolLength;
}

void prepareShape() {
  // The start axis places the ball; the averaged axis orients the shank.
  float full = sFullRadius;
  sCentre0 = sStart + sStartAxis * full - sAxis * full + sAxis * sRadius;
  sCentre1 = sCentre0 + (sEnd - sStart);
  sShank = max(sLength - full, 0.0);
}

bool shapeInterval(vec3 origin, vec3 dir, out float lo, out float hi) {
  lo = 3.0e38;
  hi = -3.0e38;
  float r = sRadius;
  vec3 move = sCentre1 - sCentre0;
  vec3 up = sAxis * sShank;
  hitSphere(origin, dir, sCentre0, r, lo, hi);
  hitSphere(origin, dir, sCentre1, r, lo, hi);
  hitSegmentCylinder(origin, dir, sCentre0, sCentre1, r, lo, hi);
  if (sShank > 0.0) {
    hitCylinder(origin, dir, sCentre0, sAxis, r, 0.0, sShank, lo, hi);
    hitCylinder(origin, dir, sCentre1, sAxis, r, 0.0, sShank, lo, hi);
    hitSweptCircle(origin, dir, sCentre0 + up, sAxis, r, move, lo, hi);
    hitParallelogram(origin, dir, sCentre0 - sV * r, sV * (2.0 * r), move, lo, hi);
    hitParallelogram(origin, dir, sCentre0 + up - sV * r, sV * (2.0 * r), move, lo, hi);
    hitParallelogram(origin, dir, sCentre0 + sV * r, move, up, lo, hi);
    hitParallelogram(origin, dir, sCentre0 - sV * r, move, up, lo, hi);
    hitDisc(origin, dir, sCentre0 + up, sAxis, r, lo, hi);
    hitDisc(origin, dir, sCentre1 + up, sAxis, r, lo, hi);
  }
  return hi > lo;
}
