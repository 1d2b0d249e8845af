// The box of a move's sweep in grid coordinates, one function for the cut
// kernels and for the library, which counts the rays of the box to size the
// work before a dispatch. Written in the subset of C++ (with glm) and GLSL
// that both read; the shaders get it pasted in by the embedding step.
//
// The library must never count fewer rays than a shader walks, so it asks
// with a lower plunge limit than the shaders: wherever rounding could put
// the two on different sides of the limit, it takes the wider box.
#ifndef KORVANE_SWEEP_BOX_H
#define KORVANE_SWEEP_BOX_H

#ifdef __cplusplus
#include <glm/geometric.hpp>
#include <glm/vec3.hpp>
#define GPU_INLINE inline
namespace contract {
using glm::abs;
using glm::cross;
using glm::dot;
using glm::length;
using glm::max;
using glm::min;
using glm::normalize;
using glm::vec3;
#else
#define GPU_INLINE
#endif

// Above this share of the move along the tool axis (a plunge), the box grows
// by a bound that holds for every pair of directions across the move.
#define GPU_SWEEP_PLUNGE_LIMIT 0.99
#define HOST_SWEEP_PLUNGE_LIMIT 0.98

struct SweepBox {
  vec3 lo;
  vec3 hi;
};

// The tool of the given radius, reaching from bottom to top along axis (a
// unit vector), swept from start to end. Nothing is rounded or clamped.
GPU_INLINE SweepBox sweepBoxOf(vec3 start, vec3 end, vec3 axis, float radius, float bottom, float top,
                               float plungeLimit) {
  vec3 move = end - start;
  vec3 u = length(move) < 1e-7 ? vec3(0.0, 0.0, 1.0) : normalize(move);
  vec3 grow;
  if (abs(dot(u, axis)) > plungeLimit) {
    // |v| + |w| of any orthonormal pair across the move stays below sqrt(2).
    grow = vec3(1.41421356 * radius);
  } else {
    vec3 v = normalize(cross(u, axis));
    vec3 w = cross(v, axis);
    grow = (abs(v) + abs(w)) * radius;
  }
  vec3 low = axis * bottom;
  vec3 high = axis * top;
  SweepBox box;
  box.lo = min(start, end) + min(low, high) - grow;
  box.hi = max(start, end) + max(low, high) + grow;
  return box;
}

#ifdef __cplusplus
}  // namespace contract
#endif

#endif
