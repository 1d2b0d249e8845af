#pragma once
// The curves of G5 (cubic), G5.1 (quadratic) and G5.2/G5.3 (NURBS), and
// the chords a machine follows in their place.
#include <array>
#include <functional>
#include <vector>

namespace korvane::gcode {

using Vec3 = std::array<double, 3>;

// The Bézier curve of these control points at t in [0, 1].
Vec3 bezierAt(const std::vector<Vec3>& control, double t);

// A rational B-spline with a clamped, uniform knot vector: it starts on
// its first control point and ends on its last. `order` is the degree
// plus one; there are at least `order` points and as many weights, each
// above zero.
class Nurbs {
 public:
  Nurbs(std::vector<Vec3> points, std::vector<double> weights, int order);
  Vec3 at(double t) const;  // t in [0, 1]
  size_t spans() const { return points_.size() - size_t(order_) + 1; }

 private:
  std::vector<Vec3> points_;
  std::vector<double> weights_;
  std::vector<double> knots_;
  int order_;
};

// Where the chords of curve(t), t from 0 to 1, end: none strays from the
// curve by more than `tolerance` at its middle, from a start of `pieces`
// equal steps in t halved as needed (at most `limit` chords). The curve's
// start is left out, its end is the last point.
std::vector<Vec3> chordEnds(const std::function<Vec3(double)>& curve, double tolerance, size_t pieces, size_t limit);

}  // namespace korvane::gcode
