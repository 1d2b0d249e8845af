#include "tools/PartHull.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tools {

namespace {

glm::dvec2 pointAt(const ProfileBlock& block, size_t offset) {
  float xy[2];
  std::memcpy(xy, block.data() + offset, sizeof xy);
  return {xy[0], xy[1]};
}

// Every point the hull must hold: the profile's points, the corners of the
// square around each arc's circle, and the feet of the lowest and highest
// points on the axis.
std::vector<glm::dvec2> pointsToHold(const ProfileBlock& block) {
  uint32_t segments = 0;
  std::memcpy(&segments, block.data(), sizeof segments);
  segments = std::min<uint32_t>(segments, kMaxProfileSegments);
  std::vector<glm::dvec2> points;
  if (segments == 0) return points;
  glm::dvec2 previous = pointAt(block, 8);
  points.push_back(previous);
  for (uint32_t s = 0; s < segments; ++s) {
    const glm::dvec2 end = pointAt(block, 16 + 16 * s), centre = pointAt(block, 24 + 16 * s);
    if (centre.y > kStraightCentreHeight * 0.5) {
      const double r = glm::length(previous - centre);
      for (const glm::dvec2 corner : {glm::dvec2(-r, -r), glm::dvec2(r, -r), glm::dvec2(r, r), glm::dvec2(-r, r)})
        points.push_back(centre + corner);
    }
    points.push_back(end);
    previous = end;
  }
  for (glm::dvec2& p : points) p.x = std::max(p.x, 0.0);
  const auto [low, high] = std::minmax_element(points.begin(), points.end(),
                                               [](const glm::dvec2& a, const glm::dvec2& b) { return a.y < b.y; });
  const double bottom = low->y, top = high->y;
  points.push_back({0.0, bottom});
  points.push_back({0.0, top});
  return points;
}

double turn(const glm::dvec2& o, const glm::dvec2& a, const glm::dvec2& b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// The hull's outer chain from the lowest foot to the highest (monotone
// chain by height; the axis side is the line between the feet).
std::vector<glm::dvec2> outerChain(std::vector<glm::dvec2> points) {
  std::sort(points.begin(), points.end(),
            [](const glm::dvec2& a, const glm::dvec2& b) { return a.y < b.y || (a.y == b.y && a.x < b.x); });
  points.erase(std::unique(points.begin(), points.end()), points.end());
  std::vector<glm::dvec2> chain;
  for (const glm::dvec2& p : points) {
    // Going up with the radius to the right, the outer chain only turns
    // left: a point it would turn right at lies inside.
    while (chain.size() >= 2 && turn(chain[chain.size() - 2], chain.back(), p) <= 0.0) chain.pop_back();
    chain.push_back(p);
  }
  // From the lowest foot (radius 0) to the highest.
  if (chain.front().x != 0.0) chain.insert(chain.begin(), {0.0, chain.front().y});
  if (chain.back().x != 0.0) chain.push_back({0.0, chain.back().y});
  return chain;
}

void putPoint(HullBlock& block, size_t offset, const glm::dvec2& p) {
  const float xy[2] = {static_cast<float>(p.x), static_cast<float>(p.y)};
  std::memcpy(block.data() + offset, xy, sizeof xy);
}

}  // namespace

std::optional<PartHull> partHull(const ProfileBlock& profile) {
  const std::vector<glm::dvec2> held = pointsToHold(profile);
  if (held.empty()) return std::nullopt;
  PartHull hull;
  hull.points = outerChain(held);
  double lowest = hull.points.front().y, highest = hull.points.back().y, widest = 0;
  for (const glm::dvec2& p : hull.points) widest = std::max(widest, p.x);
  if (hull.points.size() > GPU_COLLISION_HULL_MAX_SEGMENTS + 1)
    hull.points = {{0.0, lowest}, {widest, lowest}, {widest, highest}, {0.0, highest}};
  hull.lowest = static_cast<float>(lowest);
  hull.highest = static_cast<float>(highest);
  hull.widest = static_cast<float>(widest);
  const uint32_t segments = static_cast<uint32_t>(hull.points.size() - 1);
  std::memcpy(hull.block.data(), &segments, sizeof segments);
  putPoint(hull.block, 8, hull.points.front());
  for (uint32_t s = 0; s < segments; ++s) {
    putPoint(hull.block, 16 + 16 * s, hull.points[s + 1]);
    putPoint(hull.block, 24 + 16 * s, {0.0, kStraightCentreHeight});
  }
  return hull;
}

}  // namespace tools
