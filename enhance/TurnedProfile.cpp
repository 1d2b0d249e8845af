#include "enhance/TurnedProfile.h"

#include <polyclipping/clipper.hpp>

#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>

namespace enhance {
namespace {

using ClipperLib::cInt;
using ClipperLib::IntPoint;
using ClipperLib::Path;
using ClipperLib::Paths;

// Integer units per millimetre: the clipping library works on integers.
constexpr double kScale = 1e5;
// An edge of the profile came from the sweeps whose outline passes this
// close to its midpoint: the intersections the clipping makes are rounded
// to the integer grid.
constexpr double kOnSweep = 1e-3;
// Sweeps are found by their axial extent in slabs of about this many.
constexpr size_t kSweepsPerSlab = 8;
// Sweeps that reach farther than this (mm) from the origin are left out:
// no lattice is that large, and the integers would overflow.
constexpr double kFarthest = 1e6;

bool withinReach(const TurningSweep& sweep) {
  const auto near = [](glm::dvec2 p) { return std::abs(p.x) < kFarthest && std::abs(p.y) < kFarthest; };
  if (!near(sweep.from) || !near(sweep.to)) return false;
  return std::all_of(sweep.outline.begin(), sweep.outline.end(), near);
}

IntPoint toInt(glm::dvec2 p) { return {static_cast<cInt>(std::llround(p.x * kScale)), static_cast<cInt>(std::llround(p.y * kScale))}; }
glm::dvec2 toPlane(const IntPoint& p) { return glm::dvec2(double(p.X), double(p.Y)) / kScale; }

double cross(glm::dvec2 o, glm::dvec2 a, glm::dvec2 b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }

// Turns one way at every corner (or not at all).
bool isConvex(const std::vector<glm::dvec2>& polygon) {
  int sign = 0;
  const size_t n = polygon.size();
  for (size_t i = 0; i < n; ++i) {
    const double turn = cross(polygon[i], polygon[(i + 1) % n], polygon[(i + 2) % n]);
    const int s = (turn > 0) - (turn < 0);
    if (s == 0) continue;
    if (sign != 0 && s != sign) return false;
    sign = s;
  }
  return true;
}

// The convex hull, counter-clockwise (monotone chain).
std::vector<glm::dvec2> hullOf(std::vector<glm::dvec2> points) {
  std::sort(points.begin(), points.end(), [](glm::dvec2 a, glm::dvec2 b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
  std::vector<glm::dvec2> hull(2 * points.size());
  size_t k = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    while (k >= 2 && cross(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
    hull[k++] = points[i];
  }
  for (size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
    while (k >= lower && cross(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
    hull[k++] = points[i];
  }
  hull.resize(k > 1 ? k - 1 : k);
  return hull;
}

Path pathOf(const std::vector<glm::dvec2>& polygon, glm::dvec2 at) {
  Path path;
  path.reserve(polygon.size());
  for (const glm::dvec2& p : polygon) path.push_back(toInt(p + at));
  return path;
}

// The pieces whose union is the sweep, each turning counter-clockwise.
Paths piecesOf(const TurningSweep& sweep) {
  if (sweep.outline.size() < 3) return {};
  if (isConvex(sweep.outline)) {
    std::vector<glm::dvec2> ends;
    for (const glm::dvec2& at : {sweep.from, sweep.to})
      for (const glm::dvec2& p : sweep.outline) ends.push_back(p + at);
    return {pathOf(hullOf(std::move(ends)), glm::dvec2(0.0))};
  }
  Path pattern = pathOf(sweep.outline, glm::dvec2(0.0));
  // The sum's pieces turn the way the pattern does; a pattern turning
  // back would cancel them in the union.
  if (!ClipperLib::Orientation(pattern)) ClipperLib::ReversePath(pattern);
  Paths pieces;
  ClipperLib::MinkowskiSum(pattern, Path{toInt(sweep.from), toInt(sweep.to)}, pieces, false);
  for (const glm::dvec2& at : {sweep.from, sweep.to}) {
    Path placed = pattern;
    for (IntPoint& p : placed) p.X += toInt(at).X, p.Y += toInt(at).Y;
    pieces.push_back(std::move(placed));
  }
  return pieces;
}

Path mirrored(const Path& path) {
  Path out(path.rbegin(), path.rend());  // reversed, so that it still turns counter-clockwise
  for (IntPoint& p : out) p.Y = -p.Y;
  return out;
}

double distanceToBoundary(glm::dvec2 p, const Path& path) {
  double best = INFINITY;
  for (size_t i = 0; i < path.size(); ++i) {
    const glm::dvec2 a = toPlane(path[i]), b = toPlane(path[(i + 1) % path.size()]), ab = b - a;
    const double t = std::clamp(glm::dot(p - a, ab) / std::max(glm::dot(ab, ab), 1e-300), 0.0, 1.0);
    best = std::min(best, glm::length(p - (a + t * ab)));
  }
  return best;
}

// Which sweep made an edge: the last one (the latest cut) whose pieces
// pass through its midpoint, found among the sweeps of the midpoint's slab.
class SweepFinder {
 public:
  SweepFinder(const std::vector<Paths>& pieces, double low, double high)
      : pieces_(pieces), low_(low), slabs_(std::max<size_t>(1, pieces.size() / kSweepsPerSlab)) {
    width_ = std::max(high - low, 1e-9) / double(slabs_.size());
    for (size_t s = 0; s < pieces.size(); ++s) {
      double lo = INFINITY, hi = -INFINITY;
      for (const Path& path : pieces[s])
        for (const IntPoint& p : path) lo = std::min(lo, toPlane(p).x), hi = std::max(hi, toPlane(p).x);
      if (!(lo <= hi)) continue;
      for (size_t k = slabOf(lo - kOnSweep); k <= slabOf(hi + kOnSweep); ++k) slabs_[k].push_back(s);
    }
  }

  int32_t sweepAt(glm::dvec2 p) const {
    const std::vector<size_t>& slab = slabs_[slabOf(p.x)];
    for (auto s = slab.rbegin(); s != slab.rend(); ++s)
      for (const Path& path : pieces_[*s])
        if (distanceToBoundary(p, path) <= kOnSweep || distanceToBoundary({p.x, -p.y}, path) <= kOnSweep)
          return static_cast<int32_t>(*s);
    return -1;
  }

 private:
  size_t slabOf(double axial) const {
    const double k = std::floor((axial - low_) / width_);
    return static_cast<size_t>(std::clamp(k, 0.0, double(slabs_.size() - 1)));
  }

  const std::vector<Paths>& pieces_;
  double low_ = 0, width_ = 1;
  std::vector<std::vector<size_t>> slabs_;
};

}  // namespace

TurnedProfile turnedProfileOf(const std::vector<TurningSweep>& sweeps, int32_t firstSource, glm::dvec2 axialRange,
                              double radialReach, double margin) {
  TurnedProfile profile;
  const bool inRange = std::abs(axialRange.x) < kFarthest && std::abs(axialRange.y) < kFarthest &&
                       std::abs(radialReach) < kFarthest && std::abs(margin) < kFarthest;
  if (sweeps.empty() || !inRange) return profile;
  profile.axialLow = axialRange.x - margin;
  profile.axialHigh = axialRange.y + margin;
  const double top = radialReach + margin;

  std::vector<Paths> pieces;
  pieces.reserve(sweeps.size());
  ClipperLib::Clipper clipper;
  for (const TurningSweep& sweep : sweeps) {
    pieces.push_back(withinReach(sweep) ? piecesOf(sweep) : Paths{});
    clipper.AddPaths(pieces.back(), ClipperLib::ptClip, true);
    Paths mirror;
    for (const Path& path : pieces.back()) mirror.push_back(mirrored(path));
    clipper.AddPaths(mirror, ClipperLib::ptClip, true);
  }
  const Path rectangle{toInt({profile.axialLow, -top}), toInt({profile.axialHigh, -top}),
                       toInt({profile.axialHigh, top}), toInt({profile.axialLow, top})};
  clipper.AddPath(rectangle, ClipperLib::ptSubject, true);
  Paths left;
  clipper.Execute(ClipperLib::ctDifference, left, ClipperLib::pftNonZero, ClipperLib::pftNonZero);

  const SweepFinder finder(pieces, profile.axialLow, profile.axialHigh);
  const auto onRectangle = [&](glm::dvec2 a, glm::dvec2 b) {
    const double e = 1.0 / kScale;
    const auto same = [&](double u, double v, double line) { return std::abs(u - line) <= e && std::abs(v - line) <= e; };
    return same(a.x, b.x, profile.axialLow) || same(a.x, b.x, profile.axialHigh) || same(a.y, b.y, top) ||
           same(a.y, b.y, -top);
  };
  for (const Path& path : left) {
    for (size_t i = 0; i < path.size(); ++i) {
      const glm::dvec2 a = toPlane(path[i]), b = toPlane(path[(i + 1) % path.size()]);
      if (std::max(a.y, b.y) < 0) continue;
      int32_t source = -1;
      if (!onRectangle(a, b)) {
        const int32_t sweep = finder.sweepAt((a + b) / 2.0);
        if (sweep >= 0) source = firstSource + sweep;
      }
      profile.edges.push_back({a, b, source});
    }
  }
  return profile;
}

}  // namespace enhance
