#include "toolpath/ArcGeometry.h"

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <numbers>

#include <glm/geometric.hpp>

namespace toolpath {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kMinStep = 0.008726646259971648;  // 0.5 degree
constexpr double kMaxStep = 0.20943951023931956;   // 12 degrees

glm::dvec3 ontoPlaneThroughOrigin(const glm::dvec3& p, const glm::dvec3& n) { return p - glm::dot(p, n) * n; }

}  // namespace

ArcGeometry analyseArc(const glm::dvec3& s, const glm::dvec3& e, const glm::dvec3& m, const glm::dvec3& n,
                       bool counterClockwise) {
  const glm::dvec3 sp = ontoPlaneThroughOrigin(s, n);
  const glm::dvec3 ep = ontoPlaneThroughOrigin(e, n);
  const glm::dvec3 mp = ontoPlaneThroughOrigin(m, n);

  ArcGeometry arc;
  const glm::dvec3 fromCentre = sp - mp;
  const double rs2 = glm::dot(fromCentre, fromCentre);
  if (!(rs2 >= 1e-9)) return arc;
  const double rs = std::sqrt(rs2);
  const glm::dvec3 x = fromCentre / rs;
  const glm::dvec3 y = glm::cross(n, x);
  const glm::dvec3 end = ep - mp;
  const double ex = glm::dot(end, x), ey = glm::dot(end, y), ez = glm::dot(end, n);
  const double re = std::sqrt(ex * ex + ey * ey + ez * ez);
  if (!(std::abs(rs - re) <= 0.01)) return arc;

  const double a = std::atan2(ey, ex);
  double sweep = -a;
  const glm::dvec3 chord = ep - sp;
  if (std::abs(a) > 1e-9 && glm::dot(chord, chord) > 1e-9) {
    if (counterClockwise && sweep <= 0.0) sweep += kTwoPi;
    if (!counterClockwise && sweep >= 0.0) sweep -= kTwoPi;
  } else {
    sweep = counterClockwise ? kTwoPi : -kTwoPi;
  }
  arc.sweep = sweep;
  arc.radius = rs;
  arc.valid = true;
  arc.centre = mp;
  arc.xAxis = x;
  arc.yAxis = y;
  arc.normal = n;
  arc.startHeight = glm::dot(s, n);
  arc.lead = arcLead(s, e, m, n);
  return arc;
}

glm::dvec3 ArcGeometry::pointAt(double t) const {
  const double angle = -sweep * t;
  return centre + radius * (std::cos(angle) * xAxis + std::sin(angle) * yAxis) + (startHeight + lead * t) * normal;
}

double ArcGeometry::length() const { return std::sqrt(sweep * radius * sweep * radius + lead * lead); }

double arcLead(const glm::dvec3& s, const glm::dvec3& e, const glm::dvec3& m, const glm::dvec3& n) {
  return glm::dot(e - m, n) - glm::dot(s - m, n);
}

int segmentCount(double r, double sweep, double tol) {
  if (!(r > 0.0) || !(tol > 0.0)) return 0;
  if (tol >= r) return 2;
  const double half = std::acos(std::clamp(1.0 - tol / r, -1.0, 1.0));
  const double perCircle = std::max(2.0, kTwoPi / (2.0 * half));
  const double magnitude = std::abs(sweep);
  const double n = std::max(1.0, std::ceil(perCircle * magnitude / kTwoPi));
  const double step = std::clamp(magnitude / n, kMinStep, kMaxStep);
  if (magnitude <= step + 1e-9) return 1;  // one chord, two points
  const double count = std::ceil(magnitude / step);
  return count < INT32_MAX ? static_cast<int>(count) : INT32_MAX;
}

}  // namespace toolpath
