#pragma once
// The triangle mesh of one tool part: a revolved profile turned about the
// part's axis, or a profile extruded across it.
#include "korvane/Korvane.h"
#include "tools/PackedMesh.h"
#include "tools/Profile.h"

namespace tools {

// Where a part's profile lies in tool coordinates (millimetres).
struct PartPlacement {
  glm::dvec3 axis{0.0, 1.0, 0.0};  // unit
  glm::dvec3 origin{0.0};
  double depth = 0;   // extruded profiles
  double sweep = 0;   // revolved profiles: radians, 0 = a full turn
  int sides = 0;      // revolved profiles: 0 round, else flat sides at the profile's radius
  double tolerance = 0;  // chord tolerance, 0 = relative to the part's size
};

PartPlacement placementOf(const SIM_ToolPart& part, double scale);

// Polygon-sided parts have 3 to this many sides; more count as round.
inline constexpr int kMaxPolygonSides = 120;

// Chords deviate from the true surface by at most this share of the part's
// largest radius, so a 1 mm and a 100 mm tool look equally round.
inline constexpr double kRelativeChordTolerance = 0.002;

PackedMesh revolvedMesh(const Profile& profile, const PartPlacement& placement, uint32_t colour);
// Profile kind 0 extrudes from the profile plane by depth; kind 2 by half
// the depth to each side.
PackedMesh extrudedMesh(const Profile& profile, const PartPlacement& placement, bool symmetric, uint32_t colour);

// Segments around a full turn for the relative chord tolerance.
int segmentsAround();

}  // namespace tools
