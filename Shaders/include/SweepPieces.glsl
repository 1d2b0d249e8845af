// Where a lattice ray meets the surface pieces of a swept tool. The ray
// runs through origin along the unit vector dir; every hit parameter t
// widens [lo, hi]. The pieces of a convex sweep together cover its surface
// and lie in it, so the lowest and highest hit bound the ray's material.

//
// With COLLECT_HITS defined every hit is also kept, in the order found, for
// shapes whose sweep is not convex (SweepMembership.glsl).
#ifdef COLLECT_HITS
const int kMaxHits = 96;
float gHits[kMaxHits];
int gHitCount;  // may pass kMaxHits: the hits beyond it are lost
float gWindowLow, gWindowHigh;  // only hits in this range are kept
#endif

void widen(float t, inout float lo, inout float hi) {
  lo = min(lo, t);
  hi = max(hi, t);
#ifdef COLLECT_HITS
  if (t >= gWindowLow && t <= gWindowHigh) {
    if (gHitCount < kMaxHits) gHits[gHitCount] = t;
    ++gHitCount;
  }
#endif
}

// Roots of a t^2 + 2 b t + c = 0 (a linear equation when a is about 0);
// how many there are.
int quadraticRoots(float a, float b, float c, out float roots[2]) {
  if (abs(a) < 1e-9) {
    if (abs(b) < 1e-12) return 0;
    roots[0] = -c / (2.0 * b);
    return 1;
  }
  float discriminant = b * b - a * c;
  if (discriminant < 0.0) return 0;
  float root = sqrt(discriminant);
  roots[0] = (-b - root) / a;
  roots[1] = (-b + root) / a;
  return 2;
}

// A sphere.
void hitSphere(vec3 origin, vec3 dir, vec3 centre, float radius, inout float lo, inout float hi) {
  vec3 m = origin - centre;
  float b = dot(m, dir);
  float c = dot(m, m) - radius * radius;
  float discriminant = b * b - c;
  if (discriminant < 0.0) return;
  float root = sqrt(discriminant);
  widen(-b - root, lo, hi);
  widen(-b + root, lo, hi);
}

// The mantle of a cylinder around the line through base along unit axis,
// between heights low and high along it.
void hitCylinder(vec3 origin, vec3 dir, vec3 base, vec3 axis, float radius, float low, float high, inout float lo,
                 inout float hi) {
  vec3 m = origin - base;
  vec3 mPerp = m - dot(m, axis) * axis;
  vec3 dPerp = dir - dot(dir, axis) * axis;
  float a = dot(dPerp, dPerp);
  if (a < 1e-12) return;  // along the axis: the mantle is never crossed
  float roots[2];
  int count = quadraticRoots(a, dot(mPerp, dPerp), dot(mPerp, mPerp) - radius * radius, roots);
  for (int i = 0; i < count; ++i) {
    float h = dot(m + roots[i] * dir, axis);
    if (h >= low && h <= high) widen(roots[i], lo, hi);
  }
}

// The mantle of a cylinder around the segment from p to q.
void hitSegmentCylinder(vec3 origin, vec3 dir, vec3 p, vec3 q, float radius, inout float lo, inout float hi) {
  vec3 d = q - p;
  float len = length(d);
  if (len < 1e-7) return;
  hitCylinder(origin, dir, p, d / len, radius, 0.0, len, lo, hi);
}

// A disc about centre in the plane with unit normal.
void hitDisc(vec3 origin, vec3 dir, vec3 centre, vec3 normal, float radius, inout float lo, inout float hi) {
  float facing = dot(dir, normal);
  if (abs(facing) < 1e-9) return;
  float t = dot(centre - origin, normal) / facing;
  vec3 inPlane = origin + t * dir - centre;
  if (dot(inPlane, inPlane) <= radius * radius) widen(t, lo, hi);
}

// The parallelogram corner + a e1 + b e2 with a, b in 0 ... 1.
void hitParallelogram(vec3 origin, vec3 dir, vec3 corner, vec3 e1, vec3 e2, inout float lo, inout float hi) {
  vec3 p = cross(dir, e2);
  float det = dot(e1, p);
  if (abs(det) < 1e-12) return;
  vec3 s = origin - corner;
  float a = dot(s, p) / det;
  if (a < 0.0 || a > 1.0) return;
  vec3 q = cross(s, e1);
  float b = dot(dir, q) / det;
  if (b < 0.0 || b > 1.0) return;
  widen(dot(e2, q) / det, lo, hi);
}

// The oblique cylinder a circle (centre, plane normal, radius) sweeps along
// the move: points centre + s move + x with x in the circle's plane,
// |x| = radius, s in 0 ... 1. A move within the plane sweeps no height and
// is left to the flat pieces. The oblique projection is large for moves
// that barely leave the plane, but the roots keep their precision.
void hitSweptCircle(vec3 origin, vec3 dir, vec3 centre, vec3 normal, float radius, vec3 move, inout float lo,
                    inout float hi) {
  float rise = dot(normal, move);
  if (abs(rise) < 1e-5 * length(move)) return;
  // s(t) = s0 + s1 t and x(t) = x0 + x1 t, linear along the ray.
  vec3 m = origin - centre;
  float s0 = dot(normal, m) / rise, s1 = dot(normal, dir) / rise;
  vec3 x0 = m - s0 * move, x1 = dir - s1 * move;
  float a = dot(x1, x1);
  if (a < 1e-12) return;
  float roots[2];
  int count = quadraticRoots(a, dot(x0, x1), dot(x0, x0) - radius * radius, roots);
  for (int i = 0; i < count; ++i) {
    float s = s0 + s1 * roots[i];
    if (s >= 0.0 && s <= 1.0) widen(roots[i], lo, hi);
  }
}
