#include "tools/Profile.h"

#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>

namespace tools {

namespace {

constexpr double kSame = 1e-7;

// The signed sweep of an arc from a to b about c: counter-clockwise
// positive for segment type 1, clockwise negative for type 2, in (0, 2pi].
double arcSweep(const ProfileVertex& from, const ProfileVertex& to) {
  const glm::dvec2 a = from.point - to.centre, b = to.point - to.centre;
  double sweep = std::atan2(a.x * b.y - a.y * b.x, glm::dot(a, b));
  if (to.segment == SIM_SEGMENT_ARC_CCW) {
    if (sweep <= 0) sweep += 2 * M_PI;
  } else if (sweep >= 0) {
    sweep -= 2 * M_PI;
  }
  return sweep;
}

// The points of an arc segment after its start, chords within tolerance.
void appendArc(std::vector<glm::dvec2>& out, const ProfileVertex& from, const ProfileVertex& to, double tolerance) {
  const double radius = glm::length(from.point - to.centre);
  const double sweep = arcSweep(from, to);
  int chords = 1;
  if (radius > tolerance && tolerance > 0) {
    const double step = 2 * std::acos(1 - tolerance / radius);
    // Clamped before the conversion: a tiny step gives counts no int holds.
    const double wanted = std::ceil(std::abs(sweep) / step);
    chords = wanted >= 1 ? static_cast<int>(std::min(wanted, 1024.0)) : 1;
  }
  const glm::dvec2 a = from.point - to.centre;
  const double start = std::atan2(a.y, a.x);
  for (int i = 1; i < chords; ++i) {
    const double angle = start + sweep * i / chords;
    out.push_back(to.centre + radius * glm::dvec2(std::cos(angle), std::sin(angle)));
  }
  out.push_back(to.point);
}

double cross(const glm::dvec2& a, const glm::dvec2& b) { return a.x * b.y - a.y * b.x; }

}  // namespace

Profile profileFrom(std::span<const SIM_ProfilePoint> points, double scale) {
  Profile profile;
  profile.vertices.reserve(points.size());
  for (const SIM_ProfilePoint& p : points) {
    ProfileVertex v;
    v.segment = p.segment <= SIM_SEGMENT_ARC_CW ? p.segment : uint32_t{SIM_SEGMENT_STRAIGHT};
    v.point = glm::dvec2(p.x, p.y) * scale;
    v.centre = glm::dvec2(p.centreX, p.centreY) * scale;
    profile.vertices.push_back(v);
  }
  return profile;
}

bool isClosed(const Profile& profile) {
  if (profile.empty()) return false;
  const glm::dvec2 d = profile.vertices.front().point - profile.vertices.back().point;
  return std::abs(d.x) <= kSame && std::abs(d.y) <= kSame;
}

std::vector<glm::dvec2> polyline(const Profile& profile, double tolerance) {
  std::vector<glm::dvec2> out;
  if (profile.vertices.empty()) return out;
  out.push_back(profile.vertices.front().point);
  for (size_t i = 1; i < profile.vertices.size(); ++i) {
    if (profile.isArc(i))
      appendArc(out, profile.vertices[i - 1], profile.vertices[i], tolerance);
    else
      out.push_back(profile.vertices[i].point);
  }
  return out;
}

bool isConvex(const Profile& profile) {
  if (profile.empty()) return false;
  std::vector<glm::dvec2> polygon = polyline(profile, 1e-3 * std::max(1.0, largestRadius(profile)));
  if (isClosed(profile)) {
    polygon.pop_back();  // the closing point is the first one again
  } else {
    // Closed through the axis: from the last point down the axis to the first.
    if (std::abs(polygon.back().x) > kSame) polygon.push_back({0.0, polygon.back().y});
    if (std::abs(polygon.front().x) > kSame) polygon.insert(polygon.begin(), {0.0, polygon.front().y});
  }
  int sign = 0;
  const size_t n = polygon.size();
  for (size_t i = 0; i < n; ++i) {
    const glm::dvec2 a = polygon[(i + 1) % n] - polygon[i], b = polygon[(i + 2) % n] - polygon[(i + 1) % n];
    const double turn = cross(a, b);
    const double scale = glm::length(a) * glm::length(b);
    if (std::abs(turn) <= 1e-9 * scale) continue;
    const int s = turn > 0 ? 1 : -1;
    if (sign != 0 && s != sign) return false;
    sign = s;
  }
  return true;
}

bool isConvexPolygon(const Profile& profile) {
  if (profile.empty()) return false;
  for (size_t i = 1; i < profile.vertices.size(); ++i)
    if (profile.isArc(i)) return false;
  std::vector<glm::dvec2> polygon;
  for (const ProfileVertex& v : profile.vertices)
    if (polygon.empty() || glm::length(v.point - polygon.back()) > kSame) polygon.push_back(v.point);
  if (polygon.size() > 1 && glm::length(polygon.front() - polygon.back()) <= kSame) polygon.pop_back();
  const size_t n = polygon.size();
  if (n < 3) return false;
  // One way round, and once round: the turns add up to a full turn.
  int sign = 0;
  double turning = 0;
  for (size_t i = 0; i < n; ++i) {
    const glm::dvec2 a = polygon[(i + 1) % n] - polygon[i], b = polygon[(i + 2) % n] - polygon[(i + 1) % n];
    const double turn = cross(a, b);
    turning += std::atan2(turn, glm::dot(a, b));
    if (std::abs(turn) <= 1e-9 * glm::length(a) * glm::length(b)) continue;
    const int s = turn > 0 ? 1 : -1;
    if (sign != 0 && s != sign) return false;
    sign = s;
  }
  return sign != 0 && std::abs(std::abs(turning) - 2 * M_PI) < 1e-6;
}

bool isMonotonicInHeight(const Profile& profile) {
  constexpr double kLevel = 0.001;
  for (size_t i = 1; i < profile.vertices.size(); ++i) {
    const ProfileVertex& from = profile.vertices[i - 1];
    const ProfileVertex& to = profile.vertices[i];
    if (to.point.y < from.point.y - kLevel) return false;
    if (!profile.isArc(i)) continue;
    std::vector<glm::dvec2> chords{from.point};
    appendArc(chords, from, to, 1e-4);
    for (const glm::dvec2& p : chords)
      if (p.y < from.point.y - kLevel || p.y > to.point.y + kLevel) return false;
  }
  return true;
}

void removeRedundantPoints(Profile& profile) {
  std::vector<ProfileVertex> kept;
  for (const ProfileVertex& v : profile.vertices) {
    if (!kept.empty() && v.segment == SIM_SEGMENT_STRAIGHT && glm::length(v.point - kept.back().point) <= kSame)
      continue;
    kept.push_back(v);
  }
  profile.vertices = std::move(kept);
}

void makeHeightsNonDecreasing(Profile& profile) {
  double highest = -INFINITY;
  for (ProfileVertex& v : profile.vertices) {
    highest = std::max(highest, v.point.y);
    v.point.y = highest;
  }
}

double largestRadius(const Profile& profile) {
  double r = 0;
  for (const glm::dvec2& p : polyline(profile, 1e-3)) r = std::max(r, std::abs(p.x));
  return r;
}

double lowestHeight(const Profile& profile) {
  double y = INFINITY;
  for (const glm::dvec2& p : polyline(profile, 1e-3)) y = std::min(y, p.y);
  return profile.vertices.empty() ? 0 : y;
}

double highestHeight(const Profile& profile) {
  double y = -INFINITY;
  for (const glm::dvec2& p : polyline(profile, 1e-3)) y = std::max(y, p.y);
  return profile.vertices.empty() ? 0 : y;
}

}  // namespace tools
