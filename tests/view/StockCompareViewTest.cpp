// The stock compare through the exports: the record in host units with its
// refusals, and the picture of a stock against a design that keeps less
// material on top: the top coloured as material left, the sides as on the
// design, the design itself hidden while compared, and all of it as before
// once the comparison is off.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "korvane/Korvane.h"
#include "support/HeadlessView.h"
#include "support/MachineFiles.h"
#include "support/ViewJobs.h"

namespace {

std::vector<float> boxSoup(glm::vec3 lo, glm::vec3 hi) { return testsupport::BoxModel("", lo, hi).soup(); }

class StockCompareView : public testsupport::HeadlessViewTest {
 protected:
  static constexpr int kSide = 160;
  std::vector<uint8_t> picture() {
    std::vector<uint8_t> rgba(size_t(kSide) * kSide * 4);
    EXPECT_EQ(SIM_RenderImage(view, kSide, kSide, rgba.data()), 0);
    return rgba;
  }
  // Pixels of the far colours of one channel (0 red, 1 green, 2 blue): the
  // channel well above both others, as no blend between neighbours is.
  static int countOf(const std::vector<uint8_t>& rgba, int channel) {
    int count = 0;
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
      const int c = rgba[i + channel], a = rgba[i + (channel + 1) % 3], b = rgba[i + (channel + 2) % 3];
      if (c > 90 && c > 1.6 * a && c > 1.6 * b) ++count;
    }
    return count;
  }
};

TEST_F(StockCompareView, TheRecordInHostUnitsAndItsRefusals) {
  const SIM_StockCompare none = SIM_GetStockCompare(nullptr);
  EXPECT_EQ(none.flags, 0u);
  EXPECT_EQ(none.lower, 1.0f);
  EXPECT_EQ(none.upper, 0.0f);
  const SIM_StockCompare set{SIM_COMPARE_SHOWN | SIM_COMPARE_STEPPED, -0.1f, 0.3f};
  EXPECT_EQ(SIM_SetStockCompare(nullptr, &set), -1);
  EXPECT_EQ(SIM_SetStockCompare(view, nullptr), -1);
  ASSERT_EQ(SIM_SetStockCompare(view, &set), 0);
  SIM_StockCompare got = SIM_GetStockCompare(view);
  EXPECT_EQ(got.flags, set.flags);
  EXPECT_FLOAT_EQ(got.lower, -0.1f);
  EXPECT_FLOAT_EQ(got.upper, 0.3f);
  const SIM_StockCompare reversed{SIM_COMPARE_SHOWN, 1.0f, 0.5f}, notANumber{SIM_COMPARE_SHOWN, NAN, 1.0f};
  EXPECT_EQ(SIM_SetStockCompare(view, &reversed), SIM_STATUS_OUT_OF_RANGE);
  EXPECT_EQ(SIM_SetStockCompare(view, &notANumber), SIM_STATUS_NOT_FINITE);
  EXPECT_FLOAT_EQ(SIM_GetStockCompare(view).upper, 0.3f) << "refused records change nothing";
  // Inches: what was set in millimetres reads back divided by 25.4.
  ASSERT_EQ(SIM_SetUnits(view, 1), 0);
  got = SIM_GetStockCompare(view);
  EXPECT_NEAR(got.upper, 0.3 / 25.4, 1e-6);
}

TEST_F(StockCompareView, AStockAgainstADesignWithALowerTop) {
  ASSERT_EQ(SIM_CreateStock(view, testsupport::boxStock(1, {-10, -10, -10}, {10, 10, 10})), 0);
  const std::vector<float> soup = boxSoup({-10, -10, -10}, {10, 10, 6});
  SIM_GeometryRecord design = testsupport::namedGeometry("design", SIM_GEOMETRY_WORKPIECE);
  design.vertices = soup.data();
  design.vertexCount = soup.size() / 3;
  ASSERT_EQ(SIM_CreateGeometries(view, {&design, 1}, true), 0);
  settleView(SIM_VIEW_ISOMETRIC);
  const std::vector<uint8_t> plain = picture();
  // On the design within 0.2 mm: the sides green, the top 4 mm above it blue.
  const SIM_StockCompare compare{SIM_COMPARE_SHOWN, -0.2f, 0.2f};
  ASSERT_EQ(SIM_SetStockCompare(view, &compare), 0);
  const std::vector<uint8_t> compared = picture();
  EXPECT_GT(countOf(compared, 2), 500) << "the top: material above the design";
  EXPECT_GT(countOf(compared, 1), 500) << "the sides: on the design";
  EXPECT_LT(countOf(compared, 0), 20) << "nothing cut into it";
  EXPECT_LT(countOf(plain, 2), 20);
  // Hidden above the range: the top goes, the sides stay but for the band
  // of the range's top edge, where the colour turns to the far one.
  const SIM_StockCompare hideAbove{SIM_COMPARE_SHOWN | SIM_COMPARE_HIDE_ABOVE, -0.2f, 0.2f};
  ASSERT_EQ(SIM_SetStockCompare(view, &hideAbove), 0);
  const std::vector<uint8_t> sidesOnly = picture();
  EXPECT_LT(countOf(sidesOnly, 2), countOf(compared, 2) / 10);
  EXPECT_GT(countOf(sidesOnly, 1), 500);
  // Off: the stock as it was.
  const SIM_StockCompare off{0, -0.2f, 0.2f};
  ASSERT_EQ(SIM_SetStockCompare(view, &off), 0);
  EXPECT_EQ(picture(), plain);
}

}  // namespace
