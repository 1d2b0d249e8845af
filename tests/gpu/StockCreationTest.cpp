// Box and cylinder stocks built on the GPU, read back and compared node by
// node with exact solids.
#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include "gpu/DeviceLimits.h"
#include "gpu/GL.h"
#include "stock/SolidStockCreator.h"
#include "stock/StockGrid.h"
#include "support/GpuTest.h"
#include "support/LatticeCheck.h"

namespace {

using testsupport::SolidReference;
using testsupport::LatticeImage;
using testsupport::referenceFromDistance;

double boxDistance(const glm::dvec3& local, const glm::dvec3& min, const glm::dvec3& max) {
  const glm::dvec3 q = glm::abs(local - (min + max) * 0.5) - (max - min) * 0.5;
  return glm::length(glm::max(q, 0.0)) + std::min(std::max({q.x, q.y, q.z}), 0.0);
}

double cylinderDistance(const glm::dvec3& p, const glm::dvec3& from, const glm::dvec3& to, double radius) {
  const glm::dvec3 axis = to - from;
  const double length = glm::length(axis);
  const glm::dvec3 n = axis / length;
  const double along = glm::dot(p - from, n);
  const double radial = glm::length(p - from - along * n) - radius;
  const double axial = std::max(-along, along - length);
  return std::min(std::max(radial, axial), 0.0) + glm::length(glm::max(glm::dvec2(radial, axial), 0.0));
}

// Combined states, crossing codes and every copy of the sign field.
testsupport::LatticeReport checkSolid(const LatticeImage& image, const SolidReference& reference) {
  testsupport::LatticeReport report = testsupport::checkLattice(image, reference);
  testsupport::checkCopies(image, reference, report);
  return report;
}

class SolidStockTest : public testsupport::GpuTest {
 protected:

  // A lattice of about `cells` cells around the shape's box.
  void setUpGrid(const stock::StockShape& shape, double cells = 60'000) {
    ASSERT_TRUE(grid_.setUp(stock::boundsOf(shape), cells, limits_));
  }
  LatticeImage build(const stock::BoxShape& box, double cells = 60'000) {
    setUpGrid(box, cells);
    creator_.create(grid_, box);
    return LatticeImage(grid_);
  }
  LatticeImage build(const stock::CylinderShape& cylinder, double cells = 60'000) {
    setUpGrid(cylinder, cells);
    creator_.create(grid_, cylinder);
    return LatticeImage(grid_);
  }

  stock::StockGrid grid_;
  stock::SolidStockCreator creator_;
};

TEST_F(SolidStockTest, BoxesAxisAlignedAndRotated) {
  stock::BoxShape box;
  box.min = {-20, 5, 0};
  box.max = {30, 40, 12.5};
  LatticeImage image = build(box);
  auto report = checkSolid(image, referenceFromDistance([&](const glm::dvec3& p) {
    return boxDistance(p, box.min, box.max);
  }));
  EXPECT_TRUE(report.good()) << report.summary();
  EXPECT_GT(report.codesChecked, 1000u);
  const double h = image.frame.exactCellSize;
  EXPECT_NEAR(image.insideCount() * h * h * h, 50.0 * 35 * 12.5, 50.0 * 35 * 12.5 * 0.12);

  stock::BoxShape turned;
  turned.min = {0, 0, 0};
  turned.max = {40, 25, 10};
  turned.placement = glm::translate(glm::dmat4(1.0), glm::dvec3(100, -50, 20)) *
                     glm::rotate(glm::dmat4(1.0), 0.61, glm::normalize(glm::dvec3(1, 2, 0.5)));
  const glm::dmat4 toLocal = glm::inverse(turned.placement);
  image = build(turned);
  report = checkSolid(image, referenceFromDistance([&](const glm::dvec3& p) {
    return boxDistance(glm::dvec3(toLocal * glm::dvec4(p, 1.0)), turned.min, turned.max);
  }));
  EXPECT_TRUE(report.good()) << report.summary();
  EXPECT_GT(report.codesChecked, 1000u);
}

TEST_F(SolidStockTest, BoxBeyondTheLatticeKeepsTheBorderOutside) {
  stock::BoxShape box;
  box.min = {0, 0, 0};
  box.max = {10, 10, 10};
  setUpGrid(box, 20'000);
  stock::BoxShape larger = box;
  larger.min -= 5.0;
  larger.max += 5.0;
  creator_.create(grid_, larger);
  LatticeImage image(grid_);
  const glm::uvec3 g = image.frame.nodes;
  uint64_t interiorInside = 0;
  image.forEachNode([&](const glm::uvec3& n) {
    const bool border = glm::any(glm::equal(n, glm::uvec3(0))) || glm::any(glm::equal(n, g - 1u));
    if (border)
      EXPECT_FALSE(image.inside(n)) << n.x << " " << n.y << " " << n.z;
    else
      interiorInside += image.inside(n);
  });
  EXPECT_EQ(interiorInside, uint64_t{g.x - 2} * (g.y - 2) * (g.z - 2)) << "everything inside the border is material";
  // The last interior node leaves material within its own edge.
  const uint8_t last = image.code({g.x - 2, 5, 5}, 0);
  EXPECT_FALSE(stock::CrossingCode::isEntering(last));
}

TEST_F(SolidStockTest, CylindersAlongEachAxisAndTilted) {
  for (int axis = 0; axis < 3; ++axis) {
    stock::CylinderShape cylinder;
    cylinder.from = {1, 2, 3};
    cylinder.to = cylinder.from;
    cylinder.to[axis] += 30;
    cylinder.radius = 8;
    LatticeImage image = build(cylinder);
    auto report = checkSolid(image, referenceFromDistance([&](const glm::dvec3& p) {
      return cylinderDistance(p, cylinder.from, cylinder.to, cylinder.radius);
    }));
    EXPECT_TRUE(report.good()) << "axis " << axis << ": " << report.summary();
    const double h = image.frame.exactCellSize;
    EXPECT_NEAR(image.insideCount() * h * h * h, M_PI * 64 * 30, M_PI * 64 * 30 * 0.12);
  }
  stock::CylinderShape tilted;
  tilted.from = {-5, 10, 0};
  tilted.to = {20, -4, 17};
  tilted.radius = 6.5;
  auto report = checkSolid(build(tilted), referenceFromDistance([&](const glm::dvec3& p) {
    return cylinderDistance(p, tilted.from, tilted.to, tilted.radius);
  }));
  EXPECT_TRUE(report.good()) << report.summary();
  EXPECT_GT(report.codesChecked, 1000u);
}

TEST_F(SolidStockTest, HollowCylindersAndOversizedBores) {
  stock::CylinderShape tube;
  tube.from = {0, 0, 0};
  tube.to = {12, 9, 25};
  tube.radius = 10;
  tube.boreRadius = 6;
  LatticeImage image = build(tube, 80'000);
  auto report = checkSolid(image, referenceFromDistance([&](const glm::dvec3& p) {
    return std::max(cylinderDistance(p, tube.from, tube.to, tube.radius),
                    -cylinderDistance(p, tube.from, tube.to, tube.boreRadius));
  }));
  EXPECT_TRUE(report.good()) << report.summary();

  // A tube along z: every copy of the sign field agrees, so the bore is
  // empty in each of them, not only in their combination.
  stock::CylinderShape straight{{0, 0, 0}, {0, 0, 20}, 10, 5};
  image = build(straight);
  const stock::SignField field(image.frame);
  const glm::uvec3 centre(image.frame.toGrid(glm::dvec3(0, 0, 10)) + 0.5);
  for (int axis = 0; axis < 3; ++axis)
    EXPECT_FALSE(field.bitSet(image.signWords, axis, centre.x, centre.y, centre.z)) << "copy " << axis;

  // A bore wider than the cylinder leaves it solid: the same lattice as
  // without a bore.
  stock::CylinderShape solid{{1, 1, 1}, {5, 20, 3}, 7, 0};
  stock::CylinderShape wideBore = solid;
  wideBore.boreRadius = 9;
  const LatticeImage plain = build(solid);
  const LatticeImage bored = build(wideBore);
  EXPECT_EQ(plain.signWords, bored.signWords);
  EXPECT_EQ(plain.nodeWords, bored.nodeWords);
}

TEST_F(SolidStockTest, DeviceLimitsShrinkTheLatticeInsteadOfFailing) {
  const stock::StockBox box{glm::dvec3(0), glm::dvec3(10)};
  gpu::DeviceLimits small;
  small.maxStorageBlockBytes = 1 << 20;
  ASSERT_TRUE(grid_.setUp(box, 8'000'000, small));
  EXPECT_LE(grid_.frame().nodeWordBytes(), small.maxStorageBlockBytes);
  EXPECT_EQ(grid_.nodeWords().size(), grid_.frame().nodeWordBytes());
  EXPECT_GT(grid_.frame().nodeCount(), 200'000u);

  gpu::DeviceLimits none;
  none.maxStorageBlockBytes = 16;
  EXPECT_FALSE(grid_.setUp(box, 8'000'000, none));
  EXPECT_FALSE(grid_.hasFrame());

  // The largest lattice of the normal mode, against what this device holds.
  ASSERT_GT(limits_.maxStorageBlockBytes, 0u);
  ASSERT_TRUE(grid_.setUp(box, 200'000'000, limits_));
  EXPECT_LE(grid_.frame().nodeWordBytes(), limits_.maxStorageBlockBytes);
  std::cout << "device storage block limit " << limits_.maxStorageBlockBytes << " bytes; quality 1.0 lattice "
            << grid_.frame().nodes.x << "^3 nodes\n";
}

TEST_F(SolidStockTest, EqualFramesKeepTheirBuffers) {
  const stock::StockBox box{glm::dvec3(0), glm::dvec3(10, 20, 30)};
  ASSERT_TRUE(grid_.setUp(box, 50'000, limits_));
  grid_.clearGridChanged();
  const GLuint nodes = grid_.nodeWords().id();
  ASSERT_TRUE(grid_.setUp(box, 50'000, limits_));
  EXPECT_FALSE(grid_.gridChanged()) << "the same frame again changes nothing";
  EXPECT_EQ(grid_.nodeWords().id(), nodes);

  // Moved by whole cells: a new frame of the same byte size keeps its buffers.
  const double h = grid_.frame().exactCellSize;
  ASSERT_TRUE(grid_.setUp({box.min + 3 * h, box.max + 3 * h}, 50'000, limits_));
  EXPECT_TRUE(grid_.gridChanged());
  EXPECT_EQ(grid_.nodeWords().id(), nodes);
  EXPECT_EQ(grid_.nodeWords().size(), grid_.frame().nodeWordBytes());
}

}  // namespace
