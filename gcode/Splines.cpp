#include "Splines.h"

#include <algorithm>
#include <cmath>

namespace korvane::gcode {
namespace {

Vec3 mix(const Vec3& a, const Vec3& b, double t) {
  return {a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t};
}

// The distance of p from the segment a-b.
double offChord(const Vec3& p, const Vec3& a, const Vec3& b) {
  const Vec3 d{b[0] - a[0], b[1] - a[1], b[2] - a[2]}, q{p[0] - a[0], p[1] - a[1], p[2] - a[2]};
  const double length2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  const double s = length2 > 0 ? std::clamp((q[0] * d[0] + q[1] * d[1] + q[2] * d[2]) / length2, 0.0, 1.0) : 0.0;
  const Vec3 foot = mix(a, b, s);
  return std::hypot(p[0] - foot[0], p[1] - foot[1], p[2] - foot[2]);
}

}  // namespace

Vec3 bezierAt(const std::vector<Vec3>& control, double t) {
  std::vector<Vec3> level = control;
  for (size_t n = level.size(); n > 1; --n)
    for (size_t i = 0; i + 1 < n; ++i) level[i] = mix(level[i], level[i + 1], t);
  return level.front();
}

Nurbs::Nurbs(std::vector<Vec3> points, std::vector<double> weights, int order)
    : points_(std::move(points)), weights_(std::move(weights)), order_(order) {
  // Clamped: `order` knots at 0 and at 1, the spans between equal.
  const size_t n = points_.size(), k = size_t(order_);
  const double spans = double(n - k + 1);
  for (size_t i = 0; i < n + k; ++i) knots_.push_back(i < k ? 0.0 : i >= n ? 1.0 : double(i - k + 1) / spans);
}

Vec3 Nurbs::at(double t) const {
  const size_t n = points_.size(), k = size_t(order_);
  // The span that holds t: knots_[span] <= t < knots_[span + 1], the last
  // span closed at 1.
  const size_t after = size_t(std::upper_bound(knots_.begin() + long(k), knots_.begin() + long(n), t) - knots_.begin());
  const size_t span = after - 1;
  // De Boor's algorithm on the points in homogeneous coordinates.
  std::vector<std::array<double, 4>> d(k);
  for (size_t j = 0; j < k; ++j) {
    const size_t i = span + 1 - k + j;
    const double w = weights_[i];
    d[j] = {points_[i][0] * w, points_[i][1] * w, points_[i][2] * w, w};
  }
  for (size_t r = 1; r < k; ++r) {
    for (size_t j = k - 1; j >= r; --j) {
      const size_t i = span + 1 - k + j;
      const double denominator = knots_[i + k - r] - knots_[i];
      const double a = denominator > 0 ? (t - knots_[i]) / denominator : 0.0;
      for (size_t c = 0; c < 4; ++c) d[j][c] = (1 - a) * d[j - 1][c] + a * d[j][c];
    }
  }
  const std::array<double, 4>& h = d[k - 1];
  return {h[0] / h[3], h[1] / h[3], h[2] / h[3]};
}

std::vector<Vec3> chordEnds(const std::function<Vec3(double)>& curve, double tolerance, size_t pieces, size_t limit) {
  struct Stretch {
    double t0, t1;
    Vec3 p0, p1;
  };
  std::vector<Vec3> ends;
  pieces = std::max<size_t>(pieces, 1);
  // Depth first, latest pushed first: the stack holds the stretches still
  // to cut, the nearest to the start on top.
  std::vector<Stretch> stack;
  for (size_t i = pieces; i-- > 0;) {
    const double t0 = double(i) / double(pieces), t1 = double(i + 1) / double(pieces);
    stack.push_back({t0, t1, curve(t0), curve(t1)});
  }
  while (!stack.empty()) {
    const Stretch s = stack.back();
    stack.pop_back();
    const double middle = (s.t0 + s.t1) / 2;
    const Vec3 m = curve(middle);
    // A stretch of a millionth of t is not halved again.
    if (offChord(m, s.p0, s.p1) > tolerance && s.t1 - s.t0 > 1e-6 && ends.size() + stack.size() < limit) {
      stack.push_back({middle, s.t1, m, s.p1});
      stack.push_back({s.t0, middle, s.p0, m});
      continue;
    }
    ends.push_back(s.p1);
  }
  return ends;
}

}  // namespace korvane::gcode
