// Cell budgets from stock quality and the lattice frames built from them.
#include <gtest/gtest.h>

#include <cmath>

#include "stock/CellBudget.h"
#include "stock/GridFrame.h"

namespace {

using stock::StockBox;

StockBox boxOf(glm::dvec3 min, glm::dvec3 max) { return {min, max}; }

TEST(CellBudgetTest, NormalModeQualityScaleAndElongation) {
  const glm::dvec3 cube(10.0);
  EXPECT_DOUBLE_EQ(stock::qualityBudget(0.0, cube).cells, 600'000);
  EXPECT_DOUBLE_EQ(stock::qualityBudget(0.5, cube).cells, 0.5 / 0.75 * 7'400'000 + 600'000);
  EXPECT_DOUBLE_EQ(stock::qualityBudget(0.75, cube).cells, 8'000'000);
  EXPECT_DOUBLE_EQ(stock::qualityBudget(1.0, cube).cells, 200'000'000);
  EXPECT_NEAR(stock::qualityBudget(0.9999999, cube).cells, 100'000'000, 100);
  EXPECT_DOUBLE_EQ(stock::qualityBudget(-3.0, cube).cells, 600'000) << "negative quality is the coarsest";

  // Extents rounded up to whole units; the integer ratio decides.
  EXPECT_DOUBLE_EQ(stock::elongationFactor({100, 10, 10}), 0.9);
  EXPECT_DOUBLE_EQ(stock::elongationFactor({89.5, 10, 10}), 1.0) << "ratio 9 keeps the full budget";
  EXPECT_DOUBLE_EQ(stock::elongationFactor({180, 10, 10}), 0.5);
  EXPECT_DOUBLE_EQ(stock::elongationFactor({1000, 10, 10}), 0.5) << "never below half";
  EXPECT_DOUBLE_EQ(stock::elongationFactor({10.2, 10, 10}), 1.0);
  EXPECT_DOUBLE_EQ(stock::elongationFactor({0.01, 0.01, 0.5}), 1.0) << "extents below one unit count as one";
  EXPECT_DOUBLE_EQ(stock::qualityBudget(0.75, {100, 10, 10}).cells, 0.9 * 8'000'000);
}

TEST(CellBudgetTest, ToleranceModeCoarseningLevels) {
  // 10 mm cube at 0.1: 87^3 nodes nominal; level 1 is under its limit and
  // raised to its floor.
  stock::CellBudget b = stock::cellBudget(0.1, 2, glm::dvec3(10.0));
  EXPECT_EQ(b.level, 1u);
  EXPECT_DOUBLE_EQ(b.cells, 500'000);

  // 100 mm cube at 0.1: 866^3 nominal; levels 1 and 2 exceed their limits,
  // level 3 gives 866^3 / 512 * 4, raised to the floor of 25,000,000.
  b = stock::toleranceBudget(0.1, glm::dvec3(100.0));
  EXPECT_EQ(b.level, 3u);
  EXPECT_DOUBLE_EQ(b.cells, 25'000'000);

  // Between limit and floor the candidate itself is used.
  const double total = std::pow(std::ceil(100 / 0.02 * 0.866), 3);
  b = stock::toleranceBudget(0.02, glm::dvec3(100.0));
  EXPECT_EQ(b.level, 4u);
  EXPECT_DOUBLE_EQ(b.cells, total / 4096 * 5);
  EXPECT_GT(b.cells, 75'000'000);

  b = stock::toleranceBudget(0.001, glm::dvec3(1000.0));
  EXPECT_EQ(b.level, 7u);
  EXPECT_DOUBLE_EQ(b.cells, 250'000'000);
  EXPECT_EQ(stock::toleranceBudget(0.0, glm::dvec3(10.0)).level, 7u) << "no tolerance is the finest";
  EXPECT_EQ(stock::cellBudget(0.1, 1, glm::dvec3(10.0)).level, 0u) << "level mode sizes like the quality mode";
}

TEST(GridFrameTest, CubeOfSideTenAtQualityThreeQuarters) {
  const StockBox box = boxOf(glm::dvec3(-3, 0, 2), glm::dvec3(7, 10, 12));
  auto plan = stock::planGrid(box, 0.75, 0);
  ASSERT_TRUE(plan);
  EXPECT_DOUBLE_EQ(plan->budget.cells, 8'000'000);
  const stock::GridFrame& f = plan->frame;
  EXPECT_DOUBLE_EQ(f.exactCellSize, 10.0 / 199) << "the truncated cube root gives 199 cells, not 200";
  EXPECT_EQ(f.nodes, glm::uvec3(202));
  EXPECT_EQ(f.padded, glm::uvec3(224));
  EXPECT_FLOAT_EQ(f.inverseCellSize, 19.9f);
  // The box is centred: its corners lie one cell inside the lattice.
  const glm::dvec3 low = f.toGrid(box.min), high = f.toGrid(box.max);
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(low[k], 1.0, 1e-9);
    EXPECT_NEAR(high[k], 200.0, 1e-9);
  }
  const glm::vec4 mapped = f.worldToGrid * glm::vec4(7, 10, 12, 1);
  EXPECT_NEAR(mapped.x, 200.0f, 1e-3f);
  const glm::vec4 back = f.gridToWorld * glm::vec4(1, 1, 1, 1);
  EXPECT_NEAR(back.x, -3.0f, 1e-4f);

  EXPECT_DOUBLE_EQ(plan->tolerance, 0.02) << "min(2h, 0.02)";
  EXPECT_EQ(plan->secondFrame.nodes.z - 3, static_cast<uint32_t>(std::floor(std::pow(30e6 / 1000, 0.3333333333333333) * 10)));
  // Words: each copy stores one ray per node of the other two axes.
  EXPECT_EQ(f.signWordCount(), 3ull * 202 * 202 * 7);
  EXPECT_EQ(f.nodeWordBytes(), 4ull * 202 * 202 * 202);
}

TEST(GridFrameTest, ElongatedAndFlatStocks) {
  auto bar = stock::planGrid(boxOf(glm::dvec3(0), glm::dvec3(100, 10, 10)), 0.75, 0);
  ASSERT_TRUE(bar);
  EXPECT_DOUBLE_EQ(bar->budget.cells, 7'200'000);
  const double cells = double(bar->frame.nodes.x - 3) * (bar->frame.nodes.y - 3) * (bar->frame.nodes.z - 3);
  EXPECT_LE(cells, 7'200'000 * 1.02);
  EXPECT_GT(cells, 7'200'000 * 0.9);

  // A sheet thinner than one cell of its budget still gets a usable lattice.
  auto sheet = stock::frameFromBudget(boxOf(glm::dvec3(0), glm::dvec3(1000, 1000, 0.001)), 300'000);
  ASSERT_TRUE(sheet);
  EXPECT_LT(sheet->nodeCount(), 4 * 300'000u * 1.1);
  EXPECT_EQ(sheet->nodes.z, 4u) << "one cell through the sheet, one spare on each side";
  auto wall = stock::frameFromBudget(boxOf(glm::dvec3(0), glm::dvec3(0.001, 100, 100)), 8'000'000);
  ASSERT_TRUE(wall);
  EXPECT_LT(wall->nodeCount(), 4 * 8'000'000u * 1.1);
  EXPECT_EQ(wall->nodes.x, 4u);
  auto needle = stock::frameFromBudget(boxOf(glm::dvec3(0), glm::dvec3(1000, 0.001, 0.001)), 300'000);
  ASSERT_TRUE(needle);
  EXPECT_LT(needle->nodeCount(), 16 * 300'000u * 1.1);
}

TEST(GridFrameTest, TinyStocksStopAtTheSmallestCell) {
  auto tiny = stock::planGrid(boxOf(glm::dvec3(0), glm::dvec3(0.05)), 0.5, 0);
  ASSERT_TRUE(tiny);
  EXPECT_GE(tiny->frame.exactCellSize, stock::kMinimumCellSize);
  EXPECT_NEAR(tiny->frame.exactCellSize, 0.0023, 0.0002);
  EXPECT_DOUBLE_EQ(tiny->tolerance, 2 * tiny->frame.exactCellSize);
}

TEST(GridFrameTest, DegenerateBoxesSetUpNothing) {
  EXPECT_FALSE(stock::planGrid(boxOf(glm::dvec3(0), glm::dvec3(10, 10, 1e-10)), 0.5, 0));
  EXPECT_FALSE(stock::planGrid(boxOf(glm::dvec3(5), glm::dvec3(4)), 0.5, 0)) << "inverted box";
  EXPECT_FALSE(stock::planGrid(boxOf(glm::dvec3(0), glm::dvec3(NAN, 1, 1)), 0.5, 0));
  EXPECT_TRUE(stock::planGrid(boxOf(glm::dvec3(0), glm::dvec3(10, 10, 2e-9)), 0.5, 0));
}

TEST(GridFrameTest, EqualFramesAndFittingTheDevice) {
  const StockBox box = boxOf(glm::dvec3(0), glm::dvec3(40, 30, 20));
  auto a = stock::frameFromBudget(box, 1e6), b = stock::frameFromBudget(box, 1e6);
  auto c = stock::frameFromBudget(box, 1.2e6);
  ASSERT_TRUE(a && b && c);
  EXPECT_TRUE(a->sameAs(*b));
  EXPECT_FALSE(a->sameAs(*c));
  auto moved = stock::frameFromBudget(boxOf(glm::dvec3(1, 0, 0), glm::dvec3(41, 30, 20)), 1e6);
  EXPECT_FALSE(a->sameAs(*moved)) << "same counts and cell size at another place";

  // The largest budget whose node words fit in 1 MB.
  const uint64_t limit = 1 << 20;
  auto fitted = stock::fittingFrame(box, 8e6, limit, limit);
  ASSERT_TRUE(fitted);
  EXPECT_LE(fitted->nodeWordBytes(), limit);
  EXPECT_GT(fitted->nodeWordBytes(), limit * 8 / 10) << "not much coarser than needed";
  auto unlimited = stock::fittingFrame(box, 8e6, UINT64_MAX, UINT64_MAX);
  EXPECT_TRUE(unlimited->sameAs(*stock::frameFromBudget(box, 8e6)));
  EXPECT_FALSE(stock::fittingFrame(box, 8e6, 64, 64)) << "nothing fits in 64 bytes";
}

}  // namespace
