// The library sizes each cut by the rays of the moves' sweep boxes; a shader
// that walked more rays than counted would leave material standing. Random
// moves, many of them near plunges where the two sides choose their box
// differently, must never give the shaders' box more rays than the count.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include <glm/geometric.hpp>

#include "common/SweepBox.h"
#include "stock/GridFrame.h"
#include "stock/MillCut.h"

namespace {

// The rays of the box the shaders compute (in single precision, from the
// single-precision frame), as the kernel clamps it to the lattice.
uint64_t shaderRays(const stock::GridFrame& frame, const glm::dvec3& start, const glm::dvec3& end,
                    const glm::dvec3& axis, double radius, double top, double bottom) {
  const glm::vec3 s(frame.worldToGrid * glm::vec4(glm::vec3(start), 1.0f));
  const glm::vec3 e(frame.worldToGrid * glm::vec4(glm::vec3(end), 1.0f));
  const glm::vec3 a = glm::normalize(glm::mat3(frame.worldToGrid) * glm::vec3(axis));
  const float scale = frame.inverseCellSize;
  const contract::SweepBox box = contract::sweepBoxOf(s, e, a, float(radius) * scale, float(bottom) * scale,
                                                      float(top) * scale, GPU_SWEEP_PLUNGE_LIMIT);
  const glm::ivec3 last = glm::ivec3(frame.nodes) - 1;
  const glm::ivec3 low = glm::clamp(glm::ivec3(glm::floor(box.lo)), glm::ivec3(0), last);
  const glm::ivec3 high = glm::clamp(glm::ivec3(glm::ceil(box.hi)), glm::ivec3(0), last);
  if (glm::any(glm::lessThan(box.hi, glm::vec3(0.0f))) || glm::any(glm::greaterThan(box.lo, glm::vec3(last))))
    return 0;
  const glm::u64vec3 n = glm::u64vec3(high - low + 1);
  return n.y * n.z + n.x * n.z + n.x * n.y;
}

}  // namespace

TEST(SweepBox, TheLibraryNeverCountsFewerRaysThanTheShadersWalk) {
  const std::optional<stock::GridFrame> frame = stock::frameFromBudget({{0, 0, 0}, {40, 30, 20}}, 200'000);
  ASSERT_TRUE(frame);
  std::mt19937 rng(17);
  std::uniform_real_distribution<double> coordinate(-10, 50), unit(-1, 1), size(0.1, 8);
  size_t nearPlunges = 0;
  for (int trial = 0; trial < 20'000; ++trial) {
    const glm::dvec3 axis = glm::normalize(glm::dvec3(0.3 * unit(rng), 0.3 * unit(rng), 1));
    const glm::dvec3 start(coordinate(rng), coordinate(rng), coordinate(rng));
    glm::dvec3 end(coordinate(rng), coordinate(rng), coordinate(rng));
    // Half the moves run within a few degrees of the axis.
    if (trial % 2 == 0) {
      const glm::dvec3 across = glm::normalize(glm::cross(axis, glm::dvec3(unit(rng), unit(rng), unit(rng))));
      end = start + axis * (-20.0 * size(rng)) + across * (0.4 * unit(rng));
      nearPlunges += std::abs(glm::dot(glm::normalize(end - start), axis)) > 0.98;
    }
    const double radius = size(rng), top = 4 * size(rng), bottom = -0.5 * size(rng);
    const uint64_t counted = stock::sweepRays(*frame, start, end, axis, radius, top, bottom);
    ASSERT_GE(counted, shaderRays(*frame, start, end, axis, radius, top, bottom)) << "trial " << trial;
  }
  EXPECT_GT(nearPlunges, 1000u);
}
