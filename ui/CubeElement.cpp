#include "ui/CubeElement.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <glm/geometric.hpp>

namespace UI {

CubeElement classifyCubePoint(const glm::vec3& p, float border) {
  CubeElement e;
  for (int axis = 0; axis < 3; ++axis) {
    if (std::abs(p[axis]) < 1.0f - border) continue;
    e.sign[axis] = p[axis] > 0 ? 1 : -1;
    ++e.count;
  }
  return e;
}

std::optional<glm::vec3> rayHitsCube(const glm::vec3& origin, const glm::vec3& direction) {
  float enter = -INFINITY, leave = INFINITY;
  for (int axis = 0; axis < 3; ++axis) {
    if (std::abs(direction[axis]) < 1e-12f) {
      if (std::abs(origin[axis]) > 1.0f) return std::nullopt;
      continue;
    }
    float t0 = (-1.0f - origin[axis]) / direction[axis], t1 = (1.0f - origin[axis]) / direction[axis];
    if (t0 > t1) std::swap(t0, t1);
    enter = std::max(enter, t0);
    leave = std::min(leave, t1);
  }
  if (enter > leave || leave < 0) return std::nullopt;
  return origin + direction * std::max(enter, 0.0f);
}

glm::vec3 lookingDirectionOf(const CubeElement& element) {
  if (element.count == 0) return glm::vec3(0.0f);
  return -glm::normalize(glm::vec3(element.sign));
}

}  // namespace UI
