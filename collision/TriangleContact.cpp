#include "collision/TriangleContact.h"

#include <cmath>

#include <glm/common.hpp>
#include <glm/geometric.hpp>

namespace collision {
namespace {

struct Box {
  glm::dvec3 min, max;
  explicit Box(const Triangle& t) : min(glm::min(glm::min(t[0], t[1]), t[2])), max(glm::max(glm::max(t[0], t[1]), t[2])) {}
  bool meets(const Box& o) const {
    return glm::all(glm::lessThanEqual(min, o.max)) && glm::all(glm::lessThanEqual(o.min, max));
  }
};

// Ray (origin, direction) against a triangle: the parameter where it
// crosses, if it does within the triangle.
bool crossing(const glm::dvec3& origin, const glm::dvec3& direction, const Triangle& t, double& at) {
  const glm::dvec3 e1 = t[1] - t[0], e2 = t[2] - t[0];
  const glm::dvec3 h = glm::cross(direction, e2);
  const double det = glm::dot(e1, h);
  const double scale = glm::length(e1) * glm::length(e2) * glm::length(direction);
  if (std::abs(det) <= 1e-14 * scale) return false;  // parallel to the plane
  const glm::dvec3 s = origin - t[0];
  const double u = glm::dot(s, h) / det;
  if (u < 0.0 || u > 1.0) return false;
  const glm::dvec3 q = glm::cross(s, e1);
  const double v = glm::dot(direction, q) / det;
  if (v < 0.0 || u + v > 1.0) return false;
  at = glm::dot(e2, q) / det;
  return true;
}

}  // namespace

bool segmentCrossesTriangle(const glm::dvec3& p, const glm::dvec3& q, const Triangle& t) {
  double at = 0.0;
  return crossing(p, q - p, t, at) && at >= 0.0 && at <= 1.0;
}

bool trianglesMeet(const Triangle& a, const Triangle& b) {
  for (int i = 0; i < 3; ++i) {
    if (segmentCrossesTriangle(a[i], a[(i + 1) % 3], b)) return true;
    if (segmentCrossesTriangle(b[i], b[(i + 1) % 3], a)) return true;
  }
  return false;
}

bool insideClosedMesh(const glm::dvec3& point, std::span<const Triangle> mesh) {
  // An oblique direction: rays along an axis run through the edges and
  // vertices of axis-aligned models, where a crossing counts twice.
  const glm::dvec3 direction = glm::normalize(glm::dvec3(0.5773502, 0.5774017, 0.5772981));
  int crossings = 0;
  for (const Triangle& t : mesh) {
    double at = 0.0;
    if (crossing(point, direction, t, at) && at > 0.0) ++crossings;
  }
  return crossings % 2 == 1;
}

bool trianglesMeet(std::span<const Triangle> a, std::span<const Triangle> b) {
  std::vector<Box> boxesB;
  boxesB.reserve(b.size());
  for (const Triangle& t : b) boxesB.emplace_back(t);
  for (const Triangle& ta : a) {
    const Box boxA(ta);
    for (size_t j = 0; j < b.size(); ++j)
      if (boxA.meets(boxesB[j]) && trianglesMeet(ta, b[j])) return true;
  }
  return false;
}

}  // namespace collision
