#include "tools/CutterShape.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace tools {

namespace {

constexpr double kSame = 1e-7;

bool same(double a, double b) { return std::abs(a - b) <= kSame; }

bool straight(const Profile& p, size_t i) { return p.vertices[i].segment == SIM_SEGMENT_STRAIGHT; }
const glm::dvec2& at(const Profile& p, size_t i) { return p.vertices[i].point; }

std::optional<CutterShape> flatMill(const Profile& p) {
  if (!straight(p, 1) || !straight(p, 2) || !straight(p, 3)) return std::nullopt;
  if (!same(at(p, 1).y, 0) || !same(at(p, 1).x, at(p, 2).x) || !same(at(p, 2).y, at(p, 3).y) || !same(at(p, 3).x, 0))
    return std::nullopt;
  return CutterShape{CutterKind::Flat, float(at(p, 1).x), float(at(p, 2).y), 0};
}

std::optional<CutterShape> ballMill(const Profile& p) {
  const glm::dvec2& centre = p.vertices[1].centre;
  if (straight(p, 1) || !straight(p, 2) || !straight(p, 3)) return std::nullopt;
  if (!same(centre.x, 0) || !same(centre.y, at(p, 1).x) || !same(at(p, 1).x, at(p, 2).x) ||
      !same(at(p, 2).y, at(p, 3).y) || !same(at(p, 3).x, 0))
    return std::nullopt;
  return CutterShape{CutterKind::Ball, float(at(p, 1).x), float(std::max(at(p, 2).y, at(p, 3).y)), 0};
}

// Bull-nose dimensions are sums the host computes in single precision.
bool nearlyEqual(double a, double b) { return std::abs(a - b) <= 1e-6 * std::max({1.0, std::abs(a), std::abs(b)}); }

std::optional<CutterShape> bullNoseMill(const Profile& p) {
  const size_t n = p.vertices.size();
  if (n != 4 && n != 5) return std::nullopt;
  if (!straight(p, 1) || straight(p, 2) || !straight(p, 3) || (n == 5 && !straight(p, 4))) return std::nullopt;
  const double flat = at(p, 1).x, corner = at(p, 2).y;
  const glm::dvec2& centre = p.vertices[2].centre;
  if (!(flat > kSame) || !(corner > kSame) || !nearlyEqual(at(p, 1).y, 0)) return std::nullopt;
  if (!nearlyEqual(centre.x, flat) || !nearlyEqual(centre.y, corner) || !nearlyEqual(at(p, 2).x, flat + corner)) return std::nullopt;
  if (!nearlyEqual(at(p, 3).x, at(p, 2).x) || !(at(p, 3).y > corner)) return std::nullopt;
  if (n == 5 && (!nearlyEqual(at(p, 4).x, 0) || !nearlyEqual(at(p, 4).y, at(p, 3).y))) return std::nullopt;
  return CutterShape{CutterKind::BullNose, float(flat), float(at(p, 3).y), float(corner)};
}

}  // namespace

CutterShape classifyCutter(const Profile& profile, uint32_t profileKind) {
  if (profileKind != SIM_PROFILE_REVOLVED) return {CutterKind::Extruded};
  const CutterShape general{CutterKind::General};
  if (profile.empty() || !same(at(profile, 0).x, 0) || !same(at(profile, 0).y, 0)) return general;
  if (profile.vertices.size() == 4) {
    if (auto flat = flatMill(profile)) return *flat;
    if (auto ball = ballMill(profile)) return *ball;
  }
  if (auto bull = bullNoseMill(profile)) return *bull;
  return general;
}

}  // namespace tools
