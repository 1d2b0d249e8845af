#version 430
// Fills the lattice with a cylinder, solid or with a coaxial bore of the
// same length. Positions are grid coordinates, radii grid lengths.

uniform vec3 CylinderFrom;  // centre of the first end face
uniform vec3 CylinderEnd;   // centre of the second end face
uniform float Radius;
uniform float InnerRadius;  // 0: solid

void prepareSolid() {}

// The span of one ray through a solid cylinder of the given radius: the
// mantle hits whose axial parameter lies in 0 ... 1 and the end disc hits.
bool cylinderSpan(vec3 origin, vec3 direction, float radius, out vec2 span) {
  vec3 axisVector = CylinderEnd - CylinderFrom;
  float lengthSquared = dot(axisVector, axisVector);
  if (lengthSquared == 0.0) return false;
  vec3 axisDirection = axisVector / sqrt(lengthSquared);
  float nearest = 3.0e38, farthest = -3.0e38;

  // A very thin or very short cylinder is its end discs only.
  if (radius >= 1e-4 && lengthSquared > 1e-4) {
    vec3 relative = origin - CylinderFrom;
    vec3 m = relative - dot(relative, axisDirection) * axisDirection;
    vec3 d = direction - dot(direction, axisDirection) * axisDirection;
    float a = dot(d, d);
    float b = dot(m, d);
    float c = dot(m, m) - radius * radius;
    float discriminant = b * b - a * c;
    if (a > 1e-12 && discriminant >= 0.0) {
      // The root pair computed without cancellation.
      float root = sqrt(discriminant);
      float s = b >= 0.0 ? -b - root : -b + root;
      float t0 = s / a;
      float t1 = abs(s) > 0.0 ? c / s : t0;
      for (int i = 0; i < 2; ++i) {
        float t = i == 0 ? t0 : t1;
        float along = dot(origin + t * direction - CylinderFrom, axisVector) / lengthSquared;
        if (along >= 0.0 && along <= 1.0) {
          nearest = min(nearest, t);
          farthest = max(farthest, t);
        }
      }
    }
  }

  float facing = dot(direction, axisDirection);
  if (abs(facing) > 1e-7) {
    for (int i = 0; i < 2; ++i) {
      vec3 centre = i == 0 ? CylinderFrom : CylinderEnd;
      float t = dot(centre - origin, axisDirection) / facing;
      vec3 inPlane = origin + t * direction - centre;
      if (dot(inPlane, inPlane) <= radius * radius * (1.0 + 1e-7)) {
        nearest = min(nearest, t);
        farthest = max(farthest, t);
      }
    }
  }
  span = vec2(nearest, farthest);
  return nearest < farthest;
}

// The material of a hollow cylinder is the outer span less the bore span:
// two intervals where the ray passes through the bore, one where it runs
// into the bore through an end face, none where it runs inside the bore.
// A bore at least as wide as the cylinder leaves it solid.
int solidIntervals(vec3 rayOrigin, uint axis, out vec2 spans[2]) {
  vec3 direction = vec3(0.0);
  direction[axis] = 1.0;
  vec2 outer;
  if (!cylinderSpan(rayOrigin, direction, Radius, outer)) return 0;
  vec2 bore;
  if (InnerRadius <= 0.0 || InnerRadius >= Radius || !cylinderSpan(rayOrigin, direction, InnerRadius, bore) ||
      bore.y <= outer.x || bore.x >= outer.y) {
    spans[0] = outer;
    return 1;
  }
  int count = 0;
  if (bore.x > outer.x) spans[count++] = vec2(outer.x, bore.x);
  if (bore.y < outer.y) spans[count++] = vec2(bore.y, outer.y);
  return count;
}

#include "CreateRays.glsl"
