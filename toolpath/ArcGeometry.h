#pragma once
// The geometry of an arc move: radius and signed sweep from its start, end,
// centre and plane normal, and the chord count used to draw and to cut it.
#include <glm/vec3.hpp>

namespace toolpath {

struct ArcGeometry {
  double startAngle = 0.0;
  double sweep = 0.0;   // positive for counter-clockwise arcs
  double radius = 0.0;
  bool valid = false;

  // The frame the angles are measured in: the centre and start projected
  // into the plane through the origin across the normal, x towards the
  // start, y = normal x x. Positive sweeps turn from x away from y.
  glm::dvec3 centre{0.0}, xAxis{0.0}, yAxis{0.0}, normal{0.0};
  double startHeight = 0.0;  // start along the normal
  double lead = 0.0;         // end minus start along the normal (helices)

  // Point at parameter t in [0, 1]: angle and lead both move linearly.
  glm::dvec3 pointAt(double t) const;
  // Length of the (helical) arc.
  double length() const;
};

// Start s, end e, centre m, plane normal n (used as given, not normalised).
// A start and end radius that differ by more than 0.01, or a radius of
// nearly 0, make the arc invalid: it is then measured and drawn as a chord.
// Start equal to end is a full circle.
ArcGeometry analyseArc(const glm::dvec3& s, const glm::dvec3& e, const glm::dvec3& m, const glm::dvec3& n,
                       bool counterClockwise);

// Lift of a helical arc: how far the end lies from the start along the normal.
double arcLead(const glm::dvec3& s, const glm::dvec3& e, const glm::dvec3& m, const glm::dvec3& n);

// Number of chords of an arc of radius r and the given sweep so that no
// chord strays more than tol from the arc; the angular step stays within
// 0.5 and 12 degrees. 0 for a degenerate radius or tolerance; 2 when the
// tolerance is not below the radius.
int segmentCount(double r, double sweep, double tol);

inline constexpr double kDrawingChordTolerance = 0.02;

}  // namespace toolpath
