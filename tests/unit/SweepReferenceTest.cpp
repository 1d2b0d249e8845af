// The exact sweep reference that milling tests compare the GPU with: checked
// here against closed forms and against dense sampling of tool positions.
#include <gtest/gtest.h>

#include <random>

#include "support/SweepReference.h"

namespace {

using testsupport::LinearSweep;

TEST(SweepReferenceTest, ToolsAgreeWithClosedForms) {
  const auto flat = testsupport::flatMillSolid(3, 20);
  EXPECT_DOUBLE_EQ(flat.distance(5, 10), 2);
  EXPECT_DOUBLE_EQ(flat.distance(0, -1.5), 1.5);
  EXPECT_DOUBLE_EQ(flat.distance(1, 10), -2);
  EXPECT_DOUBLE_EQ(flat.distance(6, 24), 5);
  const auto ball = testsupport::ballMillSolid(3, 20);
  EXPECT_NEAR(ball.distance(0, -1), 1, 1e-12);
  EXPECT_NEAR(ball.distance(3, 0), std::sqrt(18.0) - 3, 1e-12);
  EXPECT_LT(ball.distance(2.9, 10), 0);
  const auto bull = testsupport::bullNoseSolid(2, 1, 15);
  EXPECT_NEAR(bull.distance(1, -0.5), 0.5, 1e-12) << "under the flat bottom";
  EXPECT_NEAR(bull.distance(3, 0), std::sqrt(2.0) - 1, 1e-12) << "off the rounded corner";
  EXPECT_NEAR(bull.distance(4, 5), 1, 1e-12) << "beside the side";
  const auto ring = testsupport::loopSolid({{2, 0}, {4, 0}, {4, 5}, {2, 5}});
  EXPECT_NEAR(ring.distance(0, 2), 2, 1e-12) << "the core is outside";
  EXPECT_NEAR(ring.distance(-3, 1), -1, 1e-12) << "either side of the axis";
  EXPECT_NEAR(ring.distance(3, 7), 2, 1e-12);
  const auto prism = testsupport::prismSolid({{0, 0}, {3, 0}, {3, 2}, {1, 2}, {1, 8}, {0, 8}}, 0, 2);
  EXPECT_NEAR(prism.localDistance({2, 5, 1}), 1, 1e-12) << "in the notch of the L";
  EXPECT_NEAR(prism.localDistance({0.5, 5, 3}), 1, 1e-12) << "beyond the far face";
  EXPECT_NEAR(prism.localDistance({0.5, 5, 1}), -0.5, 1e-12);
  EXPECT_NEAR(prism.radius, std::hypot(3.0, 2.0), 1e-12);
}

TEST(SweepReferenceTest, SweepDistanceMatchesDenseSampling) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> coordinate(-12, 12);
  const LinearSweep sweeps[] = {
      {{-5, 0, 0}, {6, 3, -2}, {0, 0, 1}, testsupport::ballMillSolid(2, 10)},
      {{0, 0, 0}, {0, 0, -6}, {0, 0, 1}, testsupport::flatMillSolid(3, 8)},
      {{1, 1, 1}, {7, -4, 2}, glm::normalize(glm::dvec3(0.3, -0.2, 1)), testsupport::bullNoseSolid(2, 1, 9)},
      {{-4, 2, 0}, {5, -1, -3}, {0, 0, 1}, testsupport::loopSolid({{1.5, 0}, {3.5, 0}, {3.5, 4}, {1.5, 6}})},
      {{-4, 2, 0}, {5, -1, 3}, glm::normalize(glm::dvec3(0.3, 0.1, 1)),
       testsupport::prismSolid({{0, 0}, {3, 0}, {3, 2}, {1, 2}, {1, 8}, {0, 8}}, -1, 1), {0.6, 0.8, 0}},
      {{-3, 0, 0}, {4, 0, -1}, {0, 0, 1}, testsupport::flatMillSolid(2, 9), {1, 0, 0},
       glm::dvec3(std::sin(0.7), 0, std::cos(0.7))},
  };
  for (const LinearSweep& sweep : sweeps) {
    for (int i = 0; i < 300; ++i) {
      const glm::dvec3 p(coordinate(rng), coordinate(rng), coordinate(rng));
      double sampled = 1e300;
      for (int s = 0; s <= 4000; ++s) {
        const double t = s / 4000.0;
        sampled = std::min(sampled, sweep.toolDistance(p, sweep.from + (sweep.to - sweep.from) * t, sweep.axisAt(t)));
      }
      // Near the sweep the distance is exact; farther out, a lower bound.
      if (sweep.distance(p) <= 1.0) {
        EXPECT_NEAR(sweep.distance(p), sampled, 2e-3) << i;
      } else {
        EXPECT_LE(sweep.distance(p), sampled + 1e-9) << i;
      }
      if (std::abs(sampled) > 1e-2) {
        EXPECT_EQ(sweep.inside(p), sampled < 0);
      }
    }
  }
  // A plunge sweeps a cylinder: inside exactly within the radius.
  const LinearSweep plunge{{0, 0, 5}, {0, 0, -3}, {0, 0, 1}, testsupport::flatMillSolid(4, 10)};
  EXPECT_TRUE(plunge.inside({3.9, 0, -2.9}));
  EXPECT_FALSE(plunge.inside({4.1, 0, 0}));
  EXPECT_FALSE(plunge.inside({0, 0, -3.1}));
}

}  // namespace
