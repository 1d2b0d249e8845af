#include "view/Measuring.h"

#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>

namespace view {
namespace {

// Window pixels (y down) of a display-frame point.
glm::dvec2 pixelOf(const glm::dvec3& point, const camera::Camera& camera) {
  const glm::dvec3 device = camera.deviceOf(point);
  const glm::ivec2 size = camera.viewport();
  return {(device.x + 1) / 2 * size.x, (1 - device.y) / 2 * size.y};
}

}  // namespace

glm::dvec3 segmentPointNearestLine(const glm::dvec3& a, const glm::dvec3& b, const glm::dvec3& origin,
                                   const glm::dvec3& direction) {
  const glm::dvec3 u = b - a, w = a - origin;
  const double uu = glm::dot(u, u), dd = glm::dot(direction, direction);
  if (uu <= 0.0 || dd <= 0.0) return a;
  const double ud = glm::dot(u, direction), uw = glm::dot(u, w), dw = glm::dot(direction, w);
  const double denominator = uu * dd - ud * ud;
  // Parallel lines: every point is as near; the middle stands for them.
  const double s = denominator > 1e-12 * uu * dd ? (ud * dw - dd * uw) / denominator : 0.5;
  return a + std::clamp(s, 0.0, 1.0) * u;
}

std::optional<glm::dvec3> measuredPoint(const MeasureProbe& probe, const camera::Camera& camera) {
  // The cursor names a pixel; its centre is where the ray goes.
  const glm::dvec2 centre = glm::floor(probe.cursor) + 0.5;
  if (probe.edge) {
    const std::array<glm::dvec3, 2>& ends = *probe.edge;
    const double toFirst = glm::distance(pixelOf(ends[0], camera), centre);
    const double toSecond = glm::distance(pixelOf(ends[1], camera), centre);
    const glm::dvec3& nearer = toFirst <= toSecond ? ends[0] : ends[1];
    if (std::min(toFirst, toSecond) <= kEdgeEndSnapPixels) return nearer;
    const glm::dvec3 nearPoint = camera.worldAtPixel(centre.x, centre.y, 0.0);
    const glm::dvec3 farPoint = camera.worldAtPixel(centre.x, centre.y, 1.0);
    return segmentPointNearestLine(ends[0], ends[1], nearPoint, farPoint - nearPoint);
  }
  if (!probe.depth || *probe.depth >= 1.0) return std::nullopt;
  return camera.worldAtPixel(centre.x, centre.y, *probe.depth);
}

void Measurement::add(const glm::dvec3& point) {
  if (count_ >= 2) count_ = 0;
  points_[count_++] = point;
}

}  // namespace view
