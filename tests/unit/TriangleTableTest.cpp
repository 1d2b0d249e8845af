// The generated marching-cubes table: its size, that every triangle joins
// crossed edges, faces outwards, and that the pieces of every case close up
// with the cube's faces.
#include <gtest/gtest.h>

#include <map>

#include <glm/geometric.hpp>
#include <glm/vec3.hpp>

#include "stock/TriangleTable.h"

namespace {

glm::dvec3 corner(int i) { return {double((i & 1) ^ ((i >> 1) & 1)), double((i >> 1) & 1), double(i >> 2)}; }

glm::dvec3 middle(int edge) {
  return (corner(stock::kEdgeCorners[edge][0]) + corner(stock::kEdgeCorners[edge][1])) * 0.5;
}

bool crossed(uint32_t mask, int edge) {
  return ((mask >> stock::kEdgeCorners[edge][0]) & 1u) != ((mask >> stock::kEdgeCorners[edge][1]) & 1u);
}

TEST(TriangleTableTest, EveryCaseCutsOffItsInsideCorners) {
  int total = 0;
  for (uint32_t mask = 0; mask < 256; ++mask) {
    const auto& row = stock::triangleTable()[mask];
    const int triangles = stock::triangleCount(mask);
    total += triangles;
    EXPECT_EQ(row[3 * triangles], -1) << mask;
    // Each triangle's edges are crossed, and its normal leaves the inside.
    std::map<std::pair<int, int>, int> sides;  // directed triangle sides
    for (int t = 0; t < triangles; ++t) {
      const int e[3] = {row[3 * t], row[3 * t + 1], row[3 * t + 2]};
      glm::dvec3 outward(0.0);
      for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(e[k] >= 0 && e[k] < 12 && crossed(mask, e[k])) << mask;
        const int a = stock::kEdgeCorners[e[k]][0], b = stock::kEdgeCorners[e[k]][1];
        outward += ((mask >> a) & 1u) ? corner(b) - corner(a) : corner(a) - corner(b);
        ++sides[{e[k], e[(k + 1) % 3]}];
      }
      const glm::dvec3 normal = glm::cross(middle(e[1]) - middle(e[0]), middle(e[2]) - middle(e[0]));
      // (Inner triangles of a fan may stand square to their own edges' pull.)
      EXPECT_GE(glm::dot(normal, outward), 0) << "case " << mask << " triangle " << t;
    }
    // A side used once inside the case is matched by its reverse, unless it
    // runs on a face of the cube (both edges on one face), where the
    // neighbouring cube continues the surface.
    for (const auto& [side, count] : sides) {
      const int reverse = sides.count({side.second, side.first}) ? sides.at({side.second, side.first}) : 0;
      if (reverse == count) continue;
      const glm::dvec3 a = middle(side.first), b = middle(side.second);
      const bool onFace = a.x == b.x || a.y == b.y || a.z == b.z;
      EXPECT_TRUE(onFace && count == 1 && reverse == 0) << "case " << mask;
    }
  }
  EXPECT_EQ(total, 820);
  EXPECT_EQ(stock::triangleCount(0), 0);
  EXPECT_EQ(stock::triangleCount(255), 0);
  EXPECT_EQ(stock::triangleCount(1), 1);
  const auto& single = stock::triangleTable()[1];  // corner 0 alone: the normal leaves it
  EXPECT_GT(glm::dot(glm::cross(middle(single[1]) - middle(single[0]), middle(single[2]) - middle(single[0])),
                     glm::dvec3(1, 1, 1)),
            0);
  EXPECT_EQ(stock::triangleCount(1 | 4), 2) << "two corners on a face diagonal stay apart";
}

}  // namespace
