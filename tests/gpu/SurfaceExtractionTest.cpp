// The stock surface out of the lattice: the marching-cubes table (every
// triangle joins crossed edges, faces outwards, and the pieces of every case
// close up with the cube's faces), the cube list against the same list
// worked out on the CPU from the lattice, and the welded mesh of a box and a
// bored cylinder (closed, outward, on the faces, of the right volume).
#include <gtest/gtest.h>

#include <map>

#include <glm/geometric.hpp>

#include "stock/MillCut.h"
#include "stock/SolidStockCreator.h"
#include "stock/SurfaceExtraction.h"
#include "stock/TriangleTable.h"
#include "support/CubeList.h"
#include "support/GpuTest.h"
#include "support/LatticeCheck.h"
#include "support/ToolBuilder.h"

namespace {

glm::dvec3 cornerAt(int i) { return {double((i & 1) ^ ((i >> 1) & 1)), double((i >> 1) & 1), double(i >> 2)}; }

glm::dvec3 middle(int edge) {
  return (cornerAt(stock::kEdgeCorners[edge][0]) + cornerAt(stock::kEdgeCorners[edge][1])) * 0.5;
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
        outward += ((mask >> a) & 1u) ? cornerAt(b) - cornerAt(a) : cornerAt(a) - cornerAt(b);
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

// The cube list as the extraction should write it, from the lattice.
std::vector<uint32_t> expectedCubes(const testsupport::LatticeImage& image, bool initialBlockDistinct) {
  const glm::uvec3 g = image.frame.nodes;
  auto corner = [](int i) {
    return glm::uvec3(testsupport::kCubeCorner[i][0], testsupport::kCubeCorner[i][1], testsupport::kCubeCorner[i][2]);
  };
  std::vector<uint32_t> words;
  for (uint32_t y = 0; y + 1 < g.y; ++y)
    for (uint32_t x = 0; x + 1 < g.x; ++x)
      for (uint32_t z = 0; z + 1 < g.z; ++z) {
        bool outside[8];
        uint32_t mask = 0;
        for (int i = 0; i < 8; ++i) {
          outside[i] = !image.inside(glm::uvec3(x, y, z) + corner(i));
          if (!outside[i]) mask |= 1u << i;
        }
        if (mask == 0 || mask == 255) continue;
        uint32_t record[5] = {0, 0, 0, 0, 0};
        for (int k = 0; k < 12; ++k) {
          const int c = testsupport::kCubeEdge[k][0], axis = testsupport::kCubeEdge[k][1];
          const uint32_t code = (image.code(glm::uvec3(x, y, z) + corner(c), axis) & 0x7Fu) | (outside[c] ? 0x80u : 0u);
          record[k / 4] |= code << (8 * (k % 4));
        }
        uint32_t a = 0, b = 0, slots = 0;
        for (int i = 0; i < 8; ++i) {
          if (!outside[i]) continue;
          uint32_t owner = image.word(glm::uvec3(x, y, z) + corner(i)) >> 24;
          if (owner == 0 && !initialBlockDistinct) owner = 2;
          if (owner != a && owner != b) (a <= b ? a : b) = std::max(a <= b ? a : b, owner);
          if (owner == b) slots |= 1u << i;
        }
        record[3] = slots | a << 8 | b << 16 | mask << 24;
        record[4] = (x * (g.y - 1) + y) * (g.z - 1) + z;
        words.insert(words.end(), record, record + 5);
      }
  return words;
}

struct MeshFacts {
  bool closed = true;
  long euler = 0;
  double volume = 0;
};

MeshFacts factsOf(const stock::SurfaceMesh& mesh) {
  MeshFacts facts;
  std::map<std::pair<uint32_t, uint32_t>, int> sides;
  for (size_t t = 0; t + 2 < mesh.triangles.size(); t += 3) {
    const uint32_t v[3] = {mesh.triangles[t], mesh.triangles[t + 1], mesh.triangles[t + 2]};
    for (int k = 0; k < 3; ++k) ++sides[{v[k], v[(k + 1) % 3]}];
    facts.volume += glm::dot(mesh.vertices[v[0]], glm::cross(mesh.vertices[v[1]], mesh.vertices[v[2]])) / 6;
  }
  for (const auto& [side, count] : sides) {
    const auto back = sides.find({side.second, side.first});
    if (count != 1 || back == sides.end() || back->second != 1) facts.closed = false;
  }
  facts.euler = long(mesh.vertices.size()) - long(sides.size() / 2) + long(mesh.triangles.size() / 3);
  return facts;
}

class SurfaceExtractionTest : public testsupport::GpuTest {
 protected:
  stock::StockGrid grid_;
  stock::SolidStockCreator solids_;
  stock::SurfaceExtraction extraction_;

  std::vector<uint32_t> cubeWords() {
    if (extraction_.cubeCount() == 0) return {};
    return gpu::readBack<uint32_t>(*extraction_.cubes(), 0, extraction_.cubeCount() * 5);
  }
};

TEST_F(SurfaceExtractionTest, BoxSurfaceIsClosedOnItsFaces) {
  stock::BoxShape box;
  box.min = {-3.3, 1.1, 0.25};
  box.max = {12.7, 9.4, 6.6};
  ASSERT_TRUE(grid_.setUp(stock::boundsOf(box), 30'000, limits_));
  solids_.create(grid_, box);
  extraction_.extract(grid_);
  const testsupport::LatticeImage image(grid_);
  EXPECT_EQ(cubeWords(), expectedCubes(image, false));
  ASSERT_GT(extraction_.cubeCount(), 100u);

  const stock::SurfaceMesh mesh = extraction_.weldedMesh(grid_.frame());
  const MeshFacts facts = factsOf(mesh);
  EXPECT_TRUE(facts.closed);
  EXPECT_EQ(facts.euler, 2);
  const double h = grid_.frame().exactCellSize;
  const glm::dvec3 size = box.max - box.min;
  const double area = 2 * (size.x * size.y + size.y * size.z + size.z * size.x);
  const double edges = 4 * (size.x + size.y + size.z);
  // Codes place the faces within 1/128 cell; along the box's edges the
  // cubes cut a chamfer of at most half a cell square.
  EXPECT_NEAR(facts.volume, size.x * size.y * size.z, area * h / 128 + edges * h * h / 2)
      << "outward, and the box's volume";
  EXPECT_GT(facts.volume, 0.99 * size.x * size.y * size.z);
  // Every vertex on a face of the box, within 1/128 of a cell.
  double worst = 0;
  for (const glm::dvec3& v : mesh.vertices) {
    double nearest = 1e300;
    for (int k = 0; k < 3; ++k) nearest = std::min({nearest, std::abs(v[k] - box.min[k]), std::abs(v[k] - box.max[k])});
    worst = std::max(worst, nearest);
  }
  EXPECT_LE(worst, h / 128 + 1e-6);
}

TEST_F(SurfaceExtractionTest, BoredCylinderIsARing) {
  stock::CylinderShape cylinder;
  cylinder.from = {0, 0, 0};
  cylinder.to = {0, 0, 8};
  cylinder.radius = 5;
  cylinder.boreRadius = 2;
  ASSERT_TRUE(grid_.setUp(stock::boundsOf(cylinder), 40'000, limits_));
  solids_.create(grid_, cylinder);
  extraction_.extract(grid_);
  const MeshFacts facts = factsOf(extraction_.weldedMesh(grid_.frame()));
  EXPECT_TRUE(facts.closed);
  EXPECT_EQ(facts.euler, 0);
  const double h = grid_.frame().exactCellSize;
  const double volume = M_PI * (25 - 4) * 8, area = 2 * M_PI * (25 - 4) + 2 * M_PI * (5 + 2) * 8;
  EXPECT_NEAR(facts.volume, volume, area * h);
}

TEST_F(SurfaceExtractionTest, OwnersAfterCutsAndTheUncutColour) {
  stock::BoxShape box;
  box.min = {0, 0, 0};
  box.max = {20, 12, 8};
  ASSERT_TRUE(grid_.setUp(stock::boundsOf(box), 30'000, limits_));
  solids_.create(grid_, box);
  // Three tools' slots meeting: corners of some cubes carry three owners.
  stock::MillCut mill;
  const tools::CutRecord flat = testsupport::cuttingRecordOf(testsupport::flatProfile(2, 20));
  auto slot = [&](glm::vec3 from, glm::vec3 to, uint32_t colour) {
    const std::vector<toolpath::GPUMoveRecord> moves{{from.x, from.y, from.z, 0, 0, 1, 0, toolpath::kMoveCut},
                                                  {to.x, to.y, to.z, 0, 0, 1, 0, toolpath::kMoveCut}};
    mill.cut(grid_, stock::MoveStream(moves), 1, 2, flat, colour, {});
  };
  slot({2, 6, 5}, {18, 6, 5}, 7);
  slot({10, 1, 4}, {10, 11, 4}, 9);
  slot({4, 2, 6}, {16, 10, 6}, 12);
  const testsupport::LatticeImage image(grid_);
  for (bool distinct : {false, true}) {
    extraction_.extract(grid_, distinct);
    const std::vector<uint32_t> words = cubeWords();
    EXPECT_EQ(words, expectedCubes(image, distinct)) << distinct;
    bool sawUncut = false, sawTwoTools = false;
    for (size_t c = 0; c + 4 < words.size(); c += 5) {
      const uint32_t a = (words[c + 3] >> 8) & 255, b = (words[c + 3] >> 16) & 255;
      sawUncut |= a == (distinct ? 0u : 2u) || b == (distinct ? 0u : 2u);
      sawTwoTools |= a >= 7 && b >= 7 && a != b;
    }
    EXPECT_TRUE(sawUncut);
    EXPECT_TRUE(sawTwoTools);
  }
  const MeshFacts facts = factsOf(extraction_.weldedMesh(grid_.frame()));
  EXPECT_TRUE(facts.closed);
}

TEST_F(SurfaceExtractionTest, NothingToShow) {
  stock::BoxShape box;
  box.min = {0, 0, 0};
  box.max = {5, 5, 5};
  ASSERT_TRUE(grid_.setUp(stock::boundsOf(box), 5'000, limits_));
  stock::clearWords(grid_.signField(), 0u);  // no material at all
  extraction_.extract(grid_);
  EXPECT_EQ(extraction_.cubeCount(), 0u);
  EXPECT_TRUE(extraction_.weldedMesh(grid_.frame()).triangles.empty());
}

}  // namespace
