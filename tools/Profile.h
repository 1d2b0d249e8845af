#pragma once
// A tool part's two-dimensional profile: (radius, height) points from the
// tip on the axis, each with the segment that ends at it (straight, or an
// arc about a centre). Lengths in millimetres.
#include <cstdint>
#include <span>
#include <vector>

#include <glm/vec2.hpp>

#include "korvane/Korvane.h"

namespace tools {

struct ProfileVertex {
  uint32_t segment = SIM_SEGMENT_STRAIGHT;  // of the segment ending here; ignored on the first point
  glm::dvec2 point{0.0};                    // (radius, height)
  glm::dvec2 centre{0.0};                   // arcs only
};

struct Profile {
  std::vector<ProfileVertex> vertices;

  bool empty() const { return vertices.size() < 2; }
  size_t segmentCount() const { return vertices.empty() ? 0 : vertices.size() - 1; }
  bool isArc(size_t vertex) const { return vertices[vertex].segment != SIM_SEGMENT_STRAIGHT; }
};

// From host points, lengths multiplied by scale (host units to millimetres).
Profile profileFrom(std::span<const SIM_ProfilePoint> points, double scale);

// First point equal to the last within 1e-7.
bool isClosed(const Profile& profile);

// The profile as a polyline, arcs replaced by chords that stay within
// tolerance of them (at least one chord per arc).
std::vector<glm::dvec2> polyline(const Profile& profile, double tolerance);

// The solid the profile bounds together with the axis is convex: the polygon
// of its points, closed through the axis, turns one way only.
bool isConvex(const Profile& profile);

// The polygon of the points as they stand (closed from the last point back
// to the first, not through the axis) is convex and every segment straight.
bool isConvexPolygon(const Profile& profile);

// Height never falls along the profile: straight segments rise or stay level
// within 0.001, and arcs do not dip below their start or rise above their end
// between their end points (within 0.001).
bool isMonotonicInHeight(const Profile& profile);

// Drops points that add nothing: a straight segment of no length.
void removeRedundantPoints(Profile& profile);

// Raises each height to the running maximum of the heights before it.
void makeHeightsNonDecreasing(Profile& profile);

double largestRadius(const Profile& profile);
double lowestHeight(const Profile& profile);
double highestHeight(const Profile& profile);

}  // namespace tools
