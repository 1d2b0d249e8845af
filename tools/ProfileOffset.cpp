#include "tools/ProfileOffset.h"

#include <algorithm>
#include <cmath>

#include <polyclipping/clipper.hpp>

namespace tools {

namespace {

// Clipper works on integers: nanometres.
constexpr double kUnits = 1e6;

ClipperLib::IntPoint toInt(const glm::dvec2& p) {
  return {static_cast<ClipperLib::cInt>(std::llround(p.x * kUnits)), static_cast<ClipperLib::cInt>(std::llround(p.y * kUnits))};
}

glm::dvec2 toPoint(const ClipperLib::IntPoint& p) { return glm::dvec2(p.X, p.Y) / kUnits; }

Profile straightProfile(const std::vector<glm::dvec2>& points) {
  Profile profile;
  for (const glm::dvec2& p : points) profile.vertices.push_back({SIM_SEGMENT_STRAIGHT, p, glm::dvec2(0.0)});
  return profile;
}

// The half of a cross-section at x >= 0, from its lower axis crossing up to
// its upper one.
std::vector<glm::dvec2> rightHalf(const std::vector<glm::dvec2>& polygon) {
  const size_t n = polygon.size();
  struct Crossing {
    size_t edge;
    glm::dvec2 point;
  };
  std::vector<Crossing> crossings;
  for (size_t i = 0; i < n; ++i) {
    const glm::dvec2 a = polygon[i], b = polygon[(i + 1) % n];
    if ((a.x < 0) != (b.x < 0)) {
      const double t = a.x / (a.x - b.x);
      crossings.push_back({i, glm::dvec2(0.0, a.y + t * (b.y - a.y))});
    }
  }
  if (crossings.size() != 2) return {};
  const Crossing& low = crossings[0].point.y <= crossings[1].point.y ? crossings[0] : crossings[1];
  const Crossing& high = &low == &crossings[0] ? crossings[1] : crossings[0];
  std::vector<glm::dvec2> half{low.point};
  // Walk forwards from the lower crossing when that side is at x >= 0,
  // else backwards.
  const bool forwards = polygon[(low.edge + 1) % n].x >= 0;
  size_t i = forwards ? (low.edge + 1) % n : low.edge;
  for (size_t steps = 0; steps < n; ++steps) {
    if (polygon[i].x < 0) break;
    half.push_back(polygon[i]);
    i = forwards ? (i + 1) % n : (i + n - 1) % n;
  }
  half.push_back(high.point);
  return half;
}

// One offset of the prepared path at the given arc tolerance; empty when
// nothing is left.
std::vector<glm::dvec2> offsetOnce(const ClipperLib::Path& path, double distance, double tolerance, bool throughAxis) {
  ClipperLib::ClipperOffset offset;
  offset.ArcTolerance = std::max(tolerance, 1e-6) * kUnits;
  offset.AddPath(path, ClipperLib::jtRound, ClipperLib::etClosedPolygon);
  ClipperLib::Paths solution;
  offset.Execute(solution, distance * kUnits);
  if (solution.empty()) return {};
  const auto largest = std::max_element(solution.begin(), solution.end(), [](const auto& a, const auto& b) {
    return std::abs(ClipperLib::Area(a)) < std::abs(ClipperLib::Area(b));
  });
  std::vector<glm::dvec2> polygon;
  for (const ClipperLib::IntPoint& p : *largest) polygon.push_back(toPoint(p));
  if (!throughAxis) {
    polygon.push_back(polygon.front());
    return polygon;
  }
  return rightHalf(polygon);
}

// Keeps the first and the last point and an even spread of the others.
std::vector<glm::dvec2> thinnedTo(const std::vector<glm::dvec2>& points, size_t count) {
  if (points.size() <= count || count < 2) return points;
  std::vector<glm::dvec2> kept;
  for (size_t i = 0; i < count; ++i) kept.push_back(points[i * (points.size() - 1) / (count - 1)]);
  return kept;
}

}  // namespace

Profile offsetProfile(const Profile& profile, double distance, double tolerance, bool revolved, size_t maxPoints) {
  if (profile.empty()) return profile;
  std::vector<glm::dvec2> line = polyline(profile, tolerance);
  // Beyond a kilometre the integer coordinates of the offset would overflow.
  constexpr double kLargest = 1e6;
  for (const glm::dvec2& p : line)
    if (!(std::abs(p.x) < kLargest && std::abs(p.y) < kLargest)) return profile;
  const bool throughAxis = revolved && !isClosed(profile) && std::abs(line.front().x) <= 1e-7 &&
                           std::abs(line.back().x) <= 1e-7;
  ClipperLib::Path path;
  for (const glm::dvec2& p : line) path.push_back(toInt(p));
  if (throughAxis)
    for (size_t i = line.size(); i-- > 0;) path.push_back(toInt({-line[i].x, line[i].y}));
  ClipperLib::CleanPolygon(path);
  if (path.size() < 3) return profile;

  std::vector<glm::dvec2> result;
  for (int attempt = 0; attempt < 12; ++attempt, tolerance *= 2) {
    result = offsetOnce(path, distance, tolerance, throughAxis);
    if (result.size() <= maxPoints) break;
  }
  result = thinnedTo(result, maxPoints);
  return result.size() < 2 ? profile : straightProfile(result);
}

}  // namespace tools
