// The view cube's elements: classification by the border and the ray test.
#include <gtest/gtest.h>

#include <glm/geometric.hpp>

#include "ui/CubeElement.h"

namespace {

TEST(CubeElements, PointsNearTheSurfaceNameAFaceAnEdgeOrACorner) {
  const struct {
    glm::vec3 p;
    glm::ivec3 sign;
    int count;
  } cases[] = {
      {{0.0f, 1.0f, 0.0f}, {0, 1, 0}, 1},      {{0.74f, 1.0f, -0.2f}, {0, 1, 0}, 1},
      {{0.76f, 1.0f, -0.2f}, {1, 1, 0}, 2},    {{-1.0f, -0.8f, 0.0f}, {-1, -1, 0}, 2},
      {{1.0f, -0.9f, 0.8f}, {1, -1, 1}, 3},    {{0.0f, 0.0f, 0.0f}, {0, 0, 0}, 0},
  };
  for (const auto& c : cases) {
    const UI::CubeElement e = UI::classifyCubePoint(c.p);
    EXPECT_EQ(e.count, c.count) << c.p.x << " " << c.p.y << " " << c.p.z;
    EXPECT_EQ(e.sign, c.sign) << c.p.x << " " << c.p.y << " " << c.p.z;
  }
}

TEST(CubeElements, ARayMeetsTheNearSideOrMisses) {
  const std::optional<glm::vec3> front = UI::rayHitsCube({0.3f, 0.2f, 10.0f}, {0, 0, -1});
  ASSERT_TRUE(front);
  EXPECT_FLOAT_EQ(front->z, 1.0f);
  const std::optional<glm::vec3> diagonal = UI::rayHitsCube({5, 5, 5}, glm::normalize(glm::vec3(-1, -1, -1)));
  ASSERT_TRUE(diagonal);
  EXPECT_EQ(UI::classifyCubePoint(*diagonal).count, 3);
  EXPECT_FALSE(UI::rayHitsCube({1.5f, 0, 10}, {0, 0, -1}));
  EXPECT_FALSE(UI::rayHitsCube({0, 0, 10}, {0, 0, 1})) << "the cube lies behind";
  EXPECT_EQ(UI::lookingDirectionOf({{1, 1, 1}, 3}), -glm::normalize(glm::vec3(1, 1, 1)));
}

}  // namespace
