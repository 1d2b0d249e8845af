#pragma once
// What the turning inserts left of the work, exactly: the turned profile in
// the lathe's plane, (axial, radial) = world (z, x) about the world z axis.
// Each insert's sweep along one record is the outline's Minkowski sum with
// the way (for a convex outline the hull of the outline at both ends). The
// work turns, so a sweep cuts at both signs of the radial coordinate: the
// sweeps and their mirror images are joined and taken out of a rectangle
// that holds the stock with room to spare. The edges of what remains are
// the turned surfaces, each with the sweep that made it.
#include <cstdint>
#include <vector>

#include <glm/vec2.hpp>

#include "enhance/ToolSweeps.h"

namespace enhance {

struct TurnedProfile {
  struct Edge {
    glm::dvec2 a{0.0}, b{0.0};  // the material lies on the left of a -> b
    int32_t source = -1;        // the sweep that made it; -1 the rectangle
  };
  // The edges that reach the half plane radial >= 0: a ray from a point
  // there towards larger radii meets only these, so they tell inside from
  // outside too.
  std::vector<Edge> edges;
  double axialLow = 0, axialHigh = 0;  // the rectangle's axial extent

  bool empty() const { return edges.empty(); }
};

// The profile of sweeps (none: an empty profile); a sweep's source is
// firstSource plus its index. The rectangle spans axial (lo, hi) and radii
// up to radialReach, each grown by margin.
TurnedProfile turnedProfileOf(const std::vector<TurningSweep>& sweeps, int32_t firstSource, glm::dvec2 axialRange,
                              double radialReach, double margin);

}  // namespace enhance
