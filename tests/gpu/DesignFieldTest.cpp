// The design field against brute force: every point's signed distance to
// the design equals the smallest over all its triangles, signed by the
// winding number, within 1/128 cell, for points anywhere in the lattice and
// close to the surface; designs reaching out of the lattice and ones wholly
// outside it.
#include <gtest/gtest.h>

#include <random>

#include "api/StockRecords.h"
#include "gpu/Dispatch.h"
#include "stock/StockCollection.h"
#include "stock/StockComparison.h"
#include "stock/DesignField.h"
#include "stock/StockGrid.h"
#include "stock/StockMesh.h"
#include "support/GpuTest.h"
#include "support/TestMeshes.h"

namespace {

using testsupport::Soup;

glm::dvec3 closestOnTriangle(const glm::dvec3& p, const glm::dvec3& a, const glm::dvec3& b, const glm::dvec3& c) {
  const glm::dvec3 ab = b - a, ac = c - a, ap = p - a;
  const double d1 = glm::dot(ab, ap), d2 = glm::dot(ac, ap);
  if (d1 <= 0 && d2 <= 0) return a;
  const glm::dvec3 bp = p - b;
  const double d3 = glm::dot(ab, bp), d4 = glm::dot(ac, bp);
  if (d3 >= 0 && d4 <= d3) return b;
  const double vc = d1 * d4 - d3 * d2;
  if (vc <= 0 && d1 >= 0 && d3 <= 0) return a + ab * (d1 / (d1 - d3));
  const glm::dvec3 cp = p - c;
  const double d5 = glm::dot(ab, cp), d6 = glm::dot(ac, cp);
  if (d6 >= 0 && d5 <= d6) return c;
  const double vb = d5 * d2 - d1 * d6;
  if (vb <= 0 && d2 >= 0 && d6 <= 0) return a + ac * (d2 / (d2 - d6));
  const double va = d3 * d6 - d5 * d4;
  if (va <= 0 && d4 - d3 >= 0 && d5 - d6 >= 0) return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
  const double denominator = 1 / (va + vb + vc);
  return a + ab * (vb * denominator) + ac * (vc * denominator);
}

double bruteForce(const Soup& soup, const glm::dvec3& p) {
  double nearest = INFINITY;
  for (size_t i = 0; i + 8 < soup.size(); i += 9) {
    const glm::dvec3 a(soup[i], soup[i + 1], soup[i + 2]), b(soup[i + 3], soup[i + 4], soup[i + 5]),
        c(soup[i + 6], soup[i + 7], soup[i + 8]);
    nearest = std::min(nearest, glm::length(p - closestOnTriangle(p, a, b, c)));
  }
  return testsupport::windingNumber(soup, p) > 0.5 ? -nearest : nearest;
}

Soup pocketedBox() {
  bool filled[4][4][3] = {};
  for (int x = 0; x < 4; ++x)
    for (int y = 0; y < 4; ++y)
      for (int z = 0; z < 3; ++z) filled[x][y][z] = !(z == 2 && x >= 1 && x <= 2 && y >= 1 && y <= 2);
  return testsupport::voxelMesh(filled, {-8, -8, -6}, 4);
}

Soup lShape() {
  bool filled[3][2][2] = {};
  for (int x = 0; x < 3; ++x)
    for (int y = 0; y < 2; ++y)
      for (int z = 0; z < 2; ++z) filled[x][y][z] = x == 0 || z == 0;
  return testsupport::voxelMesh(filled, {-9, -4, -6}, 6);
}

class DesignFieldTest : public testsupport::GpuTest {
 protected:
  void SetUp() override {
    GpuTest::SetUp();
    ASSERT_TRUE(grid_.setUp({{-10, -10, -8}, {10, 10, 8}}, 30'000, limits_));
  }
  stock::StockGrid grid_;
  stock::DesignField field_;
};

TEST(DesignFieldProgress, TheFrontRisesEverSlowerAndStaysBelowTheEnd) {
  const std::pair<uint32_t, uint32_t> at[] = {{1, 37}, {10, 65}, {100, 92}, {1000, 98}};
  for (const auto& [rounds, percent] : at) EXPECT_EQ(stock::DesignField::frontPercent(rounds), percent) << rounds;
  uint32_t last = 30;  // the front's start
  for (uint32_t rounds = 1; rounds < 100000; rounds += rounds / 8 + 1) {
    const uint32_t percent = stock::DesignField::frontPercent(rounds);
    EXPECT_GE(percent, last) << rounds;
    EXPECT_LT(percent, 100u) << rounds;
    last = percent;
  }
}

TEST_F(DesignFieldTest, DistancesMatchBruteForce) {
  struct Case {
    const char* name;
    Soup design;
  };
  const Case cases[] = {
      {"sphere", testsupport::sphereMesh({0.5, -0.3, 0.2}, 6, 3)},
      {"pocketed box", pocketedBox()},
      {"L-shape", lShape()},
      {"sphere partly outside the lattice", testsupport::sphereMesh({8, 2, 0}, 7, 3)},
  };
  std::mt19937 rng(5);
  const stock::GridFrame& frame = grid_.frame();
  const double h = frame.exactCellSize;
  std::uniform_real_distribution<double> x(-10, 10), y(-10, 10), z(-8, 8);
  for (const Case& c : cases) {
    auto mesh = std::make_shared<stock::StockMesh>(stock::StockMesh::fromTriangleSoup(c.design));
    const stock::DesignField::Build built = field_.build(frame, mesh, glm::dmat4(1.0));
    ASSERT_TRUE(built.complete) << c.name;
    EXPECT_GT(built.seeded, 100u) << c.name;
    EXPECT_GT(built.rounds, 2u) << c.name;
    // Points anywhere in the lattice, and close to the surface.
    std::vector<float> points;
    for (int i = 0; i < 3000; ++i) {
      glm::dvec3 p(x(rng), y(rng), z(rng));
      if (i % 2 == 1 && i >= 1) {  // near the design: a point of a triangle, moved off it a little
        const size_t t = 9 * (rng() % (c.design.size() / 9));
        const glm::dvec3 a(c.design[t], c.design[t + 1], c.design[t + 2]);
        p = a + (p - a) * 0.05;
        // Stock vertices lie in the lattice.
        if (glm::any(glm::greaterThan(glm::abs(p), glm::dvec3(10, 10, 8)))) continue;
      }
      for (int k = 0; k < 3; ++k) points.push_back(float(p[k]));
      points.push_back(12345.0f);
    }
    gpu::SSBO vertices(points.size() * 4);
    vertices.upload(points.data(), points.size() * 4);
    field_.measure(vertices.id(), uint32_t(points.size() / 4), 4, 0, 3);
    const std::vector<float> measured = gpu::readBackAll<float>(vertices);
    int wrong = 0;
    double worst = 0;
    for (size_t i = 0; i < points.size(); i += 4) {
      const glm::dvec3 p(points[i], points[i + 1], points[i + 2]);
      const double exact = bruteForce(c.design, p);
      const double error = std::abs(measured[i + 3] - exact) / h;
      worst = std::max(worst, error);
      if (error > 1.0 / 128) {
        if (++wrong <= 3)
          ADD_FAILURE() << c.name << ": at (" << p.x << ", " << p.y << ", " << p.z << ") " << measured[i + 3]
                        << " for " << exact;
      }
    }
    EXPECT_EQ(wrong, 0) << c.name << ", worst " << worst * 128 << "/128 cell";
  }
  // A design wholly outside the lattice seeds nothing: no field, and the
  // vertices keep what they held.
  auto far = std::make_shared<stock::StockMesh>(stock::StockMesh::fromTriangleSoup(testsupport::sphereMesh({60, 0, 0}, 5, 1)));
  const stock::DesignField::Build built = field_.build(frame, far, glm::dmat4(1.0));
  EXPECT_FALSE(built.complete);
  EXPECT_EQ(built.seeded, 0u);
  EXPECT_FALSE(field_.ready());
  std::vector<float> one{0, 0, 0, 7};
  gpu::SSBO vertex(16);
  vertex.upload(one.data(), 16);
  field_.measure(vertex.id(), 1, 4, 0, 3);
  EXPECT_EQ(gpu::readBackAll<float>(vertex)[3], 7.0f);
  EXPECT_FALSE(field_.build(frame, std::make_shared<stock::StockMesh>(), glm::dmat4(1.0)).complete);
}

}  // namespace

namespace {

// A box soup from min to max.
Soup boxSoup(const glm::dvec3& min, const glm::dvec3& max) {
  bool filled[1][1][1] = {{{true}}};
  Soup soup = testsupport::voxelMesh(filled, {0, 0, 0}, 1);
  for (size_t i = 0; i < soup.size(); i += 3)
    for (int k = 0; k < 3; ++k) soup[i + k] = float(min[k] + soup[i + k] * (max[k] - min[k]));
  return soup;
}

// The stock's own surface against designs: every vertex of the stock's
// welded surface at its exact distance to its own box (on it, within
// 1/128 cell) and to a box with a lower top (the top face that height
// above it).
TEST_F(DesignFieldTest, AStockAgainstItsOwnShapeAndALowerTop) {
  SIM_StockRecord record{};
  record.identifier = 3;
  record.kind = SIM_STOCK_BOX;
  record.version = 4;
  record.boxMin[0] = -6, record.boxMin[1] = -5, record.boxMin[2] = -4;
  record.boxMax[0] = 6, record.boxMax[1] = 5, record.boxMax[2] = 4;
  record.placement[0] = record.placement[5] = record.placement[10] = 1;
  record.quality = 0.0f;
  stock::StockCollection stocks;
  stocks.setStock(api::stockDefinitionOf(record, 1.0));
  std::optional<stock::StockDescription> description = stocks.stock(3);
  ASSERT_TRUE(description && description->plan);
  description->plan->budget.cells = 20'000;
  stock::StockModel model(3);
  model.build(*description, limits_);
  ASSERT_TRUE(model.built());
  const double h = model.grid().frame().exactCellSize;
  stock::StockComparison comparison;
  for (const double lowered : {0.0, 0.75}) {
    const Soup soup = boxSoup({-6, -5, -4}, {6, 5, 4 - lowered});
    stock::Design design;
    design.mesh = std::make_shared<stock::StockMesh>(stock::StockMesh::fromTriangleSoup(soup));
    design.revision = lowered == 0 ? 1 : 2;
    ASSERT_TRUE(comparison.update(model, design)) << lowered;
    EXPECT_TRUE(comparison.lastBuild().complete);
    const stock::SolidMesh& mesh = comparison.mesh();
    ASSERT_GT(mesh.vertexCount(), 100u);
    gpu::SSBO copy(uint64_t{mesh.vertexCount()} * 20);
    glBindBuffer(GL_COPY_READ_BUFFER, mesh.vertexBuffer());
    glBindBuffer(GL_COPY_WRITE_BUFFER, copy.id());
    glCopyBufferSubData(GL_COPY_READ_BUFFER, GL_COPY_WRITE_BUFFER, 0, 0, copy.size());
    const std::vector<float> vertices = gpu::readBackAll<float>(copy);
    int onTop = 0, wrong = 0;
    for (size_t v = 0; v + 4 < vertices.size(); v += 5) {
      const glm::dvec3 p(vertices[v], vertices[v + 1], vertices[v + 2]);
      if (p.z > 4 - h / 4 && std::abs(vertices[v + 3] - lowered) <= h / 128) ++onTop;
      const double exact = bruteForce(soup, p);
      if (lowered == 0) {
        EXPECT_LE(std::abs(vertices[v + 3]), h / 128 * 1.01) << "on its own shape";
      }
      if (std::abs(vertices[v + 3] - exact) > h / 128 && ++wrong <= 3)
        ADD_FAILURE() << "lowered " << lowered << ": (" << p.x << ", " << p.y << ", " << p.z << ") "
                      << vertices[v + 3] << " for " << exact;
    }
    EXPECT_GT(onTop, 20) << lowered;
    EXPECT_EQ(wrong, 0) << lowered;
  }
}

}  // namespace
