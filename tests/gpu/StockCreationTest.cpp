// Box and cylinder stocks built on the GPU, read back and compared node by
// node with exact solids.
#include <gtest/gtest.h>

#include <functional>
#include <variant>

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
  // A lattice of about `cells` cells around the shape's box, the shape built in it.
  LatticeImage build(const stock::StockShape& shape, double cells = 60'000) {
    EXPECT_TRUE(grid_.setUp(stock::boundsOf(shape), cells, limits_));
    std::visit([&](const auto& solid) {
      if constexpr (!std::is_same_v<std::decay_t<decltype(solid)>, stock::MeshShape>) creator_.create(grid_, solid);
    }, shape);
    return LatticeImage(grid_);
  }

  stock::StockGrid grid_;
  stock::SolidStockCreator creator_;
};

stock::BoxShape boxShape(glm::dvec3 min, glm::dvec3 max, glm::dmat4 placement = glm::dmat4(1.0)) {
  return {min, max, placement};
}

// Boxes and cylinders, each node against the exact solid; the volume where
// given, within 12 %.
TEST_F(SolidStockTest, BoxesAndCylindersMatchTheExactSolids) {
  const glm::dmat4 turn = glm::translate(glm::dmat4(1.0), glm::dvec3(100, -50, 20)) *
                          glm::rotate(glm::dmat4(1.0), 0.61, glm::normalize(glm::dvec3(1, 2, 0.5)));
  const auto box = [](const stock::BoxShape& b) {
    const glm::dmat4 toLocal = glm::inverse(b.placement);
    return [=](const glm::dvec3& p) { return boxDistance(glm::dvec3(toLocal * glm::dvec4(p, 1.0)), b.min, b.max); };
  };
  const auto cylinder = [](const stock::CylinderShape& c) {
    return [=](const glm::dvec3& p) {
      const double outer = cylinderDistance(p, c.from, c.to, c.radius);
      return c.boreRadius > 0 ? std::max(outer, -cylinderDistance(p, c.from, c.to, c.boreRadius)) : outer;
    };
  };
  const stock::BoxShape upright = boxShape({-20, 5, 0}, {30, 40, 12.5}), turned = boxShape({0, 0, 0}, {40, 25, 10}, turn);
  const stock::CylinderShape alongX{{1, 2, 3}, {31, 2, 3}, 8}, alongY{{1, 2, 3}, {1, 32, 3}, 8},
      alongZ{{1, 2, 3}, {1, 2, 33}, 8}, tilted{{-5, 10, 0}, {20, -4, 17}, 6.5}, tube{{0, 0, 0}, {12, 9, 25}, 10, 6};
  const struct {
    const char* name;
    stock::StockShape shape;
    std::function<double(const glm::dvec3&)> sdf;
    double volume;  // 0: not checked
    double cells = 60'000;
  } cases[] = {
      {"box", upright, box(upright), 50.0 * 35 * 12.5},
      {"turned box", turned, box(turned), 0},
      {"cylinder along x", alongX, cylinder(alongX), M_PI * 64 * 30},
      {"cylinder along y", alongY, cylinder(alongY), M_PI * 64 * 30},
      {"cylinder along z", alongZ, cylinder(alongZ), M_PI * 64 * 30},
      {"tilted cylinder", tilted, cylinder(tilted), 0},
      {"tube", tube, cylinder(tube), 0, 80'000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const LatticeImage image = build(c.shape, c.cells);
    auto report = checkSolid(image, referenceFromDistance(c.sdf));
    EXPECT_TRUE(report.good()) << report.summary();
    EXPECT_GT(report.codesChecked, 1000u);
    if (c.volume > 0) {
      EXPECT_NEAR(image.insideVolume(), c.volume, c.volume * 0.12);
    }
  }
}

TEST_F(SolidStockTest, BoxBeyondTheLatticeKeepsTheBorderOutside) {
  ASSERT_TRUE(grid_.setUp({glm::dvec3(0), glm::dvec3(10)}, 20'000, limits_));
  creator_.create(grid_, boxShape(glm::dvec3(-5), glm::dvec3(15)));
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

TEST_F(SolidStockTest, BoresEmptyInEveryCopyAndOversizedBoresIgnored) {
  // A tube along z: every copy of the sign field agrees, so the bore is
  // empty in each of them, not only in their combination.
  stock::CylinderShape straight{{0, 0, 0}, {0, 0, 20}, 10, 5};
  const LatticeImage image = build(straight);
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
