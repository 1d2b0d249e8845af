#version 430
// A bull-nose mill: a flat bottom of radius BaseRadius rounded by a corner
// of radius PipeRadius, and the shank of radius BaseRadius + PipeRadius up
// to ToolLength. The rounded part is the disc of radius BaseRadius at the
// corner's centre height grown by PipeRadius all round, so its sweep is the
// swept disc grown by PipeRadius: a ray meets it where its distance from
// the swept disc is at most PipeRadius, a convex condition along the ray,
// solved by search. The shank sweeps like a flat mill from that height up.

uniform float ToolLength;
uniform float BaseRadius;
uniform float PipeRadius;

#define SMALL_MOVE_SET_UP
#include "MillKernel.glsl"
#include "SingleInterval.glsl"

MOVE_SHARED float sBase, sPipe;  // grid units
MOVE_SHARED vec3 sDisc0;         // centre of the corner's disc at the start

void toolDimensions(out float radius, out float bottom, out float top) {
  radius = BaseRadius + PipeRadius;
  bottom = 0.0;
  top = ToolLength;
}

void prepareShape() {
  sPipe = PipeRadius * ToolScale;
  sBase = max(sRadius - sPipe, 0.0);  // a rapid's shrink comes off the flat part
  sDisc0 = sStart + sAxis * sPipe;
}

float discDistance(vec3 p, vec3 centre) {
  vec3 d = p - centre;
  float h = dot(d, sAxis);
  float radial = length(d - h * sAxis);
  return length(vec2(h, max(radial - sBase, 0.0)));
}

// Distance from p to the disc swept along the move: convex in the move
// parameter, found by golden-section search.
float sweptDiscDistance(vec3 p, vec3 move) {
  float lo = 0.0, hi = 1.0;
  const float golden = 0.6180339887;
  float a = hi - golden * (hi - lo), b = lo + golden * (hi - lo);
  float fa = discDistance(p, sDisc0 + a * move), fb = discDistance(p, sDisc0 + b * move);
  for (int i = 0; i < 28; ++i) {
    if (fa < fb) {
      hi = b; b = a; fb = fa;
      a = hi - golden * (hi - lo);
      fa = discDistance(p, sDisc0 + a * move);
    } else {
      lo = a; a = b; fa = fb;
      b = lo + golden * (hi - lo);
      fb = discDistance(p, sDisc0 + b * move);
    }
  }
  return min(min(fa, fb), min(discDistance(p, sDisc0), discDistance(p, sDisc0 + move)));
}

// Where the ray is within the pipe radius of the swept disc.
bool roundedInterval(vec3 origin, vec3 dir, vec3 move, inout float lo, inout float hi) {
  // The ray's nearest approach: search the stretch the sweep spans along it.
  vec3 c0 = sDisc0, c1 = sDisc0 + move;
  float reach = sBase + sPipe + 1.0;
  float t0 = min(dot(c0 - origin, dir), dot(c1 - origin, dir)) - reach;
  float t1 = max(dot(c0 - origin, dir), dot(c1 - origin, dir)) + reach;
  float a = t0, b = t1;
  const float golden = 0.6180339887;
  float x = b - golden * (b - a), y = a + golden * (b - a);
  float fx = sweptDiscDistance(origin + x * dir, move), fy = sweptDiscDistance(origin + y * dir, move);
  for (int i = 0; i < 32 && b - a > 1e-4; ++i) {
    if (fx < fy) {
      b = y; y = x; fy = fx;
      x = b - golden * (b - a);
      fx = sweptDiscDistance(origin + x * dir, move);
    } else {
      a = x; x = y; fx = fy;
      y = a + golden * (b - a);
      fy = sweptDiscDistance(origin + y * dir, move);
    }
  }
  float tm = fx < fy ? x : y;
  if (min(fx, fy) > sPipe) return false;
  // Both ends by bisection on the convex distance.
  float inside = tm, outside = t0;
  for (int i = 0; i < 24; ++i) {
    float mid = 0.5 * (inside + outside);
    if (sweptDiscDistance(origin + mid * dir, move) <= sPipe) inside = mid; else outside = mid;
  }
  widen(inside, lo, hi);
  inside = tm;
  outside = t1;
  for (int i = 0; i < 24; ++i) {
    float mid = 0.5 * (inside + outside);
    if (sweptDiscDistance(origin + mid * dir, move) <= sPipe) inside = mid; else outside = mid;
  }
  widen(inside, lo, hi);
  return true;
}

bool shapeInterval(vec3 origin, vec3 dir, out float lo, out float hi) {
  lo = 3.0e38;
  hi = -3.0e38;
  vec3 move = sEnd - sStart;
  // A quick miss test: the ray passes farther from the sweep's box than the tool reaches.
  roundedInterval(origin, dir, move, lo, hi);
  // The shank: a cylinder of the full radius from the corner's centre height up.
  float r = sBase + sPipe;
  float shank = max(sLength - sPipe, 0.0);
  if (shank > 0.0) {
    vec3 base = sDisc0, up = sAxis * shank;
    hitCylinder(origin, dir, base, sAxis, r, 0.0, shank, lo, hi);
    hitCylinder(origin, dir, base + move, sAxis, r, 0.0, shank, lo, hi);
    hitDisc(origin, dir, base + up, sAxis, r, lo, hi);
    hitDisc(origin, dir, base + move + up, sAxis, r, lo, hi);
    hitDisc(origin, dir, base, sAxis, r, lo, hi);
    hitDisc(origin, dir, base + move, sAxis, r, lo, hi);
    hitSweptCircle(origin, dir, base, sAxis, r, move, lo, hi);
    hitSweptCircle(origin, dir, base + up, sAxis, r, move, lo, hi);
    hitParallelogram(origin, dir, base - sV * r, sV * (2.0 * r), move, lo, hi);
    hitParallelogram(origin, dir, base + up - sV * r, sV * (2.0 * r), move, lo, hi);
    hitParallelogram(origin, dir, base + sV * r, move, up, lo, hi);
    hitParallelogram(origin, dir, base - sV * r, move, up, lo, hi);
  }
  return hi > lo;
}
