#version 430
// Fills the lattice with a box: the box is given by two corners in its own
// frame and placed in grid coordinates by Transformation. Every ray gets the
// span between its first and last face hit.

uniform vec3 BoxMinimumCorner;
uniform vec3 BoxMaximumCorner;
uniform mat4 Transformation;  // stock frame to grid coordinates

// Faces as parallelograms: a corner and two edge vectors.
vec3 faceCorner[6];
vec3 faceEdgeU[6];
vec3 faceEdgeV[6];

vec3 corner(bvec3 atMaximum) {
  vec3 local = mix(BoxMinimumCorner, BoxMaximumCorner, vec3(atMaximum));
  return (Transformation * vec4(local, 1.0)).xyz;
}

void prepareSolid() {
  vec3 c000 = corner(bvec3(false, false, false));
  vec3 ex = corner(bvec3(true, false, false)) - c000;
  vec3 ey = corner(bvec3(false, true, false)) - c000;
  vec3 ez = corner(bvec3(false, false, true)) - c000;
  faceCorner[0] = c000;      faceEdgeU[0] = ey; faceEdgeV[0] = ez;
  faceCorner[1] = c000 + ex; faceEdgeU[1] = ey; faceEdgeV[1] = ez;
  faceCorner[2] = c000;      faceEdgeU[2] = ex; faceEdgeV[2] = ez;
  faceCorner[3] = c000 + ey; faceEdgeU[3] = ex; faceEdgeV[3] = ez;
  faceCorner[4] = c000;      faceEdgeU[4] = ex; faceEdgeV[4] = ey;
  faceCorner[5] = c000 + ez; faceEdgeU[5] = ex; faceEdgeV[5] = ey;
}

int solidIntervals(vec3 rayOrigin, uint axis, out vec2 spans[2]) {
  vec3 direction = vec3(0.0);
  direction[axis] = 1.0;
  float nearest = 3.0e38, farthest = -3.0e38;
  for (int f = 0; f < 6; ++f) {
    // Solved in the face's own parameters (u, v).
    vec3 p = cross(direction, faceEdgeV[f]);
    float det = dot(faceEdgeU[f], p);
    if (abs(det) <= 1e-7) continue;
    vec3 fromCorner = rayOrigin - faceCorner[f];
    float u = dot(fromCorner, p) / det;
    if (u < 0.0 || u > 1.0) continue;
    vec3 q = cross(fromCorner, faceEdgeU[f]);
    float v = dot(direction, q) / det;
    if (v < 0.0 || v > 1.0) continue;
    float t = dot(faceEdgeV[f], q) / det;
    nearest = min(nearest, t);
    farthest = max(farthest, t);
  }
  if (!(nearest < farthest)) return 0;
  spans[0] = vec2(nearest, farthest);
  return 1;
}

#include "CreateRays.glsl"
