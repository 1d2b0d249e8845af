// Stocks made from triangle meshes: signs from the ray vote and the spread,
// exact crossings from the triangles, compared with a winding-number test.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "api/StockRecords.h"
#include "formats/StlWriter.h"
#include "gpu/DeviceLimits.h"
#include "gpu/GL.h"
#include "stock/MeshStockCreator.h"
#include "stock/StockCollection.h"
#include "stock/StockModel.h"
#include "support/GpuTest.h"
#include "support/LatticeCheck.h"
#include "support/TestMeshes.h"

namespace {

using testsupport::LatticeImage;
using testsupport::SolidReference;
using testsupport::Soup;

// Where the segment a-b meets the soup, as a fraction of it, when it meets
// it exactly once; -1 otherwise.
double segmentCrossing(const Soup& soup, const glm::dvec3& a, const glm::dvec3& b) {
  const glm::dvec3 d = b - a;
  double found = -1;
  int hits = 0;
  for (size_t i = 0; i + 8 < soup.size(); i += 9) {
    const glm::dvec3 p0(soup[i], soup[i + 1], soup[i + 2]), p1(soup[i + 3], soup[i + 4], soup[i + 5]),
        p2(soup[i + 6], soup[i + 7], soup[i + 8]);
    const glm::dvec3 e1 = p1 - p0, e2 = p2 - p0, q = glm::cross(d, e2);
    const double det = glm::dot(e1, q);
    if (std::abs(det) < 1e-14) continue;
    const glm::dvec3 s = a - p0;
    const double u = glm::dot(s, q) / det;
    const glm::dvec3 r = glm::cross(s, e1);
    const double v = glm::dot(d, r) / det, t = glm::dot(e2, r) / det;
    if (u < 0 || v < 0 || u + v > 1 || t < 0 || t > 1) continue;
    ++hits;
    found = t;
  }
  return hits == 1 ? found : -1;
}

double distanceToTriangle(const glm::dvec3& p, const glm::dvec3& a, const glm::dvec3& b, const glm::dvec3& c) {
  // Nearest point by clamping in the triangle's plane, else on an edge.
  const glm::dvec3 n = glm::normalize(glm::cross(b - a, c - a));
  const glm::dvec3 q = p - glm::dot(p - a, n) * n;
  const bool insideFace = glm::dot(glm::cross(b - a, q - a), n) >= 0 && glm::dot(glm::cross(c - b, q - b), n) >= 0 &&
                          glm::dot(glm::cross(a - c, q - c), n) >= 0;
  if (insideFace) return std::abs(glm::dot(p - a, n));
  auto toSegment = [&](const glm::dvec3& s, const glm::dvec3& e) {
    const double t = std::clamp(glm::dot(p - s, e - s) / glm::dot(e - s, e - s), 0.0, 1.0);
    return glm::length(p - (s + t * (e - s)));
  };
  return std::min({toSegment(a, b), toSegment(b, c), toSegment(c, a)});
}

double distanceToSoup(const Soup& soup, const glm::dvec3& p) {
  double nearest = 1e300;
  for (size_t i = 0; i + 8 < soup.size(); i += 9)
    nearest = std::min(nearest, distanceToTriangle(p, glm::dvec3(soup[i], soup[i + 1], soup[i + 2]),
                                                   glm::dvec3(soup[i + 3], soup[i + 4], soup[i + 5]),
                                                   glm::dvec3(soup[i + 6], soup[i + 7], soup[i + 8])));
  return nearest;
}

// Inside by the winding number of the soup; distance from a lower bound the
// test knows for its shape.
SolidReference meshReference(const Soup& soup, std::function<double(const glm::dvec3&)> distance) {
  SolidReference r;
  r.inside = [&soup](const glm::dvec3& p) { return testsupport::windingNumber(soup, p) > 0.5; };
  r.distance = std::move(distance);
  r.crossing = [&soup](const glm::dvec3& a, const glm::dvec3& b) { return segmentCrossing(soup, a, b); };
  r.exactDistance = [&soup](const glm::dvec3& p) { return distanceToSoup(soup, p); };
  return r;
}

constexpr double kMeshCodeTolerance = 4.0 / 128;

class MeshStockTest : public testsupport::GpuTest {
 protected:

  stock::MeshShape shapeOf(const Soup& soup, bool limitToBox = false) {
    stock::MeshShape shape;
    shape.mesh = std::make_shared<const stock::StockMesh>(stock::StockMesh::fromTriangleSoup(soup));
    shape.limitToBox = limitToBox;
    return shape;
  }
  LatticeImage build(const stock::MeshShape& shape, double cells = 30'000) {
    EXPECT_TRUE(grid_.setUp(stock::boundsOf(shape), cells, limits_));
    EXPECT_TRUE(creator_.create(grid_, shape));
    return LatticeImage(grid_);
  }

  // The three copies of a mesh stock's sign field are one field.
  static void expectCopiesAgree(const LatticeImage& image) {
    const stock::SignField field(image.frame);
    uint64_t disagreeing = 0;
    image.forEachNode([&](const glm::uvec3& n) {
      const bool z = field.bitSet(image.signWords, 2, n.x, n.y, n.z);
      disagreeing += field.bitSet(image.signWords, 0, n.x, n.y, n.z) != z;
      disagreeing += field.bitSet(image.signWords, 1, n.x, n.y, n.z) != z;
    });
    EXPECT_EQ(disagreeing, 0u);
  }

  stock::StockGrid grid_;
  stock::MeshStockCreator creator_;
};

TEST_F(MeshStockTest, SphereAndTorus) {
  const glm::dvec3 centre(3, -2, 5);
  const Soup sphere = testsupport::sphereMesh(centre, 10, 3);
  // The facets lie at most 0.04 of the radius inside the sphere.
  LatticeImage image = build(shapeOf(sphere));
  auto report = testsupport::checkLattice(image, meshReference(sphere, [&](const glm::dvec3& p) {
    return std::abs(glm::length(p - centre) - 10) - 0.4;
  }), 1.0, kMeshCodeTolerance);
  EXPECT_TRUE(report.good()) << report.summary();
  EXPECT_GT(report.codesChecked, 1000u) << report.summary();
  expectCopiesAgree(image);
  EXPECT_NEAR(image.insideVolume(), 4.0 / 3 * M_PI * 1000, 4.0 / 3 * M_PI * 1000 * 0.1);

  const Soup torus = testsupport::torusMesh(glm::dvec3(0), 12, 4, 48, 16);
  image = build(shapeOf(torus), 40'000);
  report = testsupport::checkLattice(image, meshReference(torus, [](const glm::dvec3& p) {
    const double ring = std::hypot(p.x, p.y) - 12;
    return std::abs(std::hypot(ring, p.z) - 4) - 0.35;
  }), 1.0, kMeshCodeTolerance);
  EXPECT_TRUE(report.good()) << report.summary();
  const glm::uvec3 hole(image.frame.toGrid(glm::dvec3(0)) + 0.5);
  EXPECT_FALSE(image.inside(hole)) << "the hole of the torus is empty";
}

TEST_F(MeshStockTest, BoxWithAThroughHole) {
  const bool ring[3][3][1] = {{{true}, {true}, {true}}, {{true}, {false}, {true}}, {{true}, {true}, {true}}};
  const Soup soup = testsupport::voxelMesh(ring, glm::dvec3(-12, -12, 0), 8.0);
  LatticeImage image = build(shapeOf(soup));
  auto report = testsupport::checkLattice(image, meshReference(soup, [](const glm::dvec3& p) {
    // Outside the outer box or inside the hole, whichever is nearer.
    const glm::dvec3 outer = glm::abs(p - glm::dvec3(0, 0, 4)) - glm::dvec3(12, 12, 4);
    const double outerDistance = glm::length(glm::max(outer, 0.0)) + std::min(std::max({outer.x, outer.y, outer.z}), 0.0);
    const glm::dvec2 hole = glm::abs(glm::dvec2(p)) - glm::dvec2(4);
    const double holeDistance = glm::length(glm::max(hole, 0.0)) + std::min(std::max(hole.x, hole.y), 0.0);
    return std::abs(std::max(outerDistance, -holeDistance));
  }), 1.0, kMeshCodeTolerance);
  EXPECT_TRUE(report.good()) << report.summary();
  expectCopiesAgree(image);
  EXPECT_NEAR(image.insideVolume(), 8.0 * 8 * 8 * 8, 8.0 * 8 * 8 * 8 * 0.15);

  // Limited to its own box, a closed mesh keeps the same material: the top
  // layer polls only what the vote decided below it.
  const LatticeImage limited = build(shapeOf(soup, true));
  EXPECT_EQ(limited.signWords, image.signWords);
  EXPECT_EQ(limited.nodeWords, image.nodeWords);
}

TEST_F(MeshStockTest, StlFileThroughTheStockDescription) {
  const Soup torus = testsupport::torusMesh(glm::dvec3(0), 9, 3, 40, 14);
  const std::string path = ::testing::TempDir() + "korvane_torus_stock.stl";
  std::vector<glm::dvec3> points;
  std::vector<uint32_t> indices;
  for (size_t i = 0; i < torus.size(); i += 3) {
    indices.push_back(static_cast<uint32_t>(points.size()));
    points.emplace_back(torus[i], torus[i + 1], torus[i + 2]);
  }
  const std::vector<uint8_t> file = formats::binaryStlImage(points, indices, 1.0);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
  // Placed 50 mm along x, in millimetres.
  SIM_StockRecord record{};
  record.identifier = 7;
  record.kind = SIM_STOCK_MESH;
  record.quality = 0.0f;
  record.meshPath = path.c_str();
  record.placement[0] = record.placement[5] = record.placement[10] = 1;
  record.placement[3] = 50;
  stock::StockCollection stocks;
  stocks.setStock(api::stockDefinitionOf(record, 1.0));
  std::optional<stock::StockDescription> description = stocks.stock(7);
  std::remove(path.c_str());
  ASSERT_TRUE(description && description->plan);
  EXPECT_NEAR(description->plan->box.min.x, 50 - 12, 1e-4);
  description->plan->budget.cells = 30'000;  // keeps the reference test fast

  stock::StockModel model(7);
  model.build(*description, limits_);
  ASSERT_TRUE(model.built());
  LatticeImage image(model.grid());
  Soup placed = torus;
  for (size_t i = 0; i < placed.size(); i += 3) placed[i] += 50;
  auto report = testsupport::checkLattice(image, meshReference(placed, [](const glm::dvec3& p) {
    const double ring = std::hypot(p.x - 50, p.y) - 9;
    return std::abs(std::hypot(ring, p.z) - 3) - 0.3;
  }), 1.0, kMeshCodeTolerance);
  EXPECT_TRUE(report.good()) << report.summary();
  EXPECT_GT(image.insideCount(), 1000u);
}

TEST_F(MeshStockTest, OpenMeshStillDecidesEveryNodeAwayFromItsHole) {
  const glm::dvec3 centre(0);
  Soup sphere = testsupport::sphereMesh(centre, 10, 3);
  const glm::dvec3 gap(sphere[0], sphere[1], sphere[2]);
  sphere.erase(sphere.begin(), sphere.begin() + 9 * 2);  // two triangles missing
  LatticeImage image = build(shapeOf(sphere));
  const double h = image.frame.exactCellSize;
  SolidReference reference;
  reference.inside = [&](const glm::dvec3& p) { return glm::length(p - centre) < 10; };
  reference.distance = [&](const glm::dvec3& p) {
    // Nodes near the gap may go either way.
    if (glm::length(p - gap) < 5 + 4 * h) return 0.0;
    return std::abs(glm::length(p - centre) - 10) - 0.4;
  };
  reference.crossing = [](const glm::dvec3&, const glm::dvec3&) { return -1.0; };
  auto report = testsupport::checkLattice(image, reference);
  EXPECT_TRUE(report.good()) << report.summary();
  expectCopiesAgree(image);
  EXPECT_GT(image.insideCount(), 1000u);
}

TEST_F(MeshStockTest, VerticesOnLatticeLines) {
  // An octahedron whose six corners sit exactly on lattice nodes.
  const stock::StockBox box{glm::dvec3(-10), glm::dvec3(10)};
  ASSERT_TRUE(grid_.setUp(box, 30'000, limits_));
  const stock::GridFrame frame = grid_.frame();
  const glm::dvec3 middle = glm::floor(frame.toGrid(glm::dvec3(0)));
  const double reach = std::floor(frame.toGrid(glm::dvec3(9)).x - middle.x);
  auto corner = [&](int axis, double sign) {
    glm::dvec3 g = middle;
    g[axis] += sign * reach;
    return frame.toWorld(g);
  };
  Soup soup;
  for (int sx : {-1, 1})
    for (int sy : {-1, 1})
      for (int sz : {-1, 1}) {
        glm::dvec3 a = corner(0, sx), b = corner(1, sy), c = corner(2, sz);
        if (sx * sy * sz < 0) std::swap(a, b);
        testsupport::addTriangle(soup, a, b, c);
      }
  stock::MeshShape shape = shapeOf(soup);
  ASSERT_TRUE(creator_.create(grid_, shape));
  LatticeImage image(grid_);
  const glm::dvec3 centreWorld = frame.toWorld(middle);
  const double radius = reach * frame.exactCellSize;
  auto report = testsupport::checkLattice(image, meshReference(soup, [&](const glm::dvec3& p) {
    const glm::dvec3 q = glm::abs(p - centreWorld);
    return std::abs(q.x + q.y + q.z - radius) / std::sqrt(3.0);
  }), 1.0, kMeshCodeTolerance);
  EXPECT_TRUE(report.good()) << report.summary();
  EXPECT_TRUE(image.inside(glm::uvec3(middle))) << "the centre is material";
  EXPECT_FALSE(image.inside(glm::uvec3(middle) + glm::uvec3(reach, 0, 0))) << "a corner node lies on the surface";
}

}  // namespace
