// The stock compare through the exports: the record in host units with its
// refusals, the band colours, and the picture of a stock against a design
// that keeps less material on top: the top coloured as material left, the
// sides as on the design, the design itself hidden while compared, and all
// of it as before once the comparison is off. In a window: the ribbon's
// Compare button, the legend it shows, and the distance read under a pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "korvane/Korvane.h"
#include "support/EventRecorder.h"
#include "support/HeadlessView.h"
#include "support/MachineFiles.h"
#include "support/ViewJobs.h"
#include "ui/RibbonState.h"
#include "view/RemoteControl.h"
#include "view/Render.h"

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

TEST_F(StockCompareView, TheBandColoursAndTheirRefusals) {
  const SIM_StockCompareColors defaults = SIM_GetStockCompareColors(nullptr);
  EXPECT_GT(defaults.colour[0][0], 0.7f) << "far below: red";
  EXPECT_GT(defaults.colour[4][2], 0.7f) << "far above: blue";
  const SIM_StockCompareColors viewDefaults = SIM_GetStockCompareColors(view);
  EXPECT_EQ(std::memcmp(&defaults, &viewDefaults, sizeof defaults), 0);
  SIM_StockCompareColors set = defaults;
  set.colour[2][1] = 0.5f;
  EXPECT_EQ(SIM_SetStockCompareColors(nullptr, &set), -1);
  EXPECT_EQ(SIM_SetStockCompareColors(view, nullptr), -1);
  ASSERT_EQ(SIM_SetStockCompareColors(view, &set), 0);
  EXPECT_FLOAT_EQ(SIM_GetStockCompareColors(view).colour[2][1], 0.5f);
  for (const float bad : {NAN, -0.1f, 1.5f}) {
    SIM_StockCompareColors refused = set;
    refused.colour[3][0] = bad;
    EXPECT_EQ(SIM_SetStockCompareColors(view, &refused), std::isnan(bad) ? SIM_STATUS_NOT_FINITE : SIM_STATUS_OUT_OF_RANGE);
  }
  EXPECT_EQ(SIM_GetStockCompareColors(view).colour[3][0], set.colour[3][0]) << "refused records change nothing";
}

// The 20 mm box stock against a design box whose top lies lower by below.
void loadBoxAgainstLowerTop(Render* view, float below = 4) {
  ASSERT_EQ(SIM_CreateStock(view, testsupport::boxStock(1, {-10, -10, -10}, {10, 10, 10})), 0);
  const std::vector<float> soup = boxSoup({-10, -10, -10}, {10, 10, 10 - below});
  SIM_GeometryRecord design = testsupport::namedGeometry("design", SIM_GEOMETRY_WORKPIECE);
  design.vertices = soup.data();
  design.vertexCount = soup.size() / 3;
  ASSERT_EQ(SIM_CreateGeometries(view, {&design, 1}, true), 0);
}

TEST_F(StockCompareView, AStockAgainstADesignWithALowerTop) {
  testsupport::EventRecorder host;
  ASSERT_EQ(SIM_SetCallbackWindow(view, host.window, true), 0);
  loadBoxAgainstLowerTop(view);
  settleView(SIM_VIEW_ISOMETRIC);
  const std::vector<uint8_t> plain = picture();
  // On the design within 0.2 mm: the sides green, the top 4 mm above it blue.
  const SIM_StockCompare compare{SIM_COMPARE_SHOWN, -0.2f, 0.2f};
  ASSERT_EQ(SIM_SetStockCompare(view, &compare), 0);
  const std::vector<uint8_t> compared = picture();
  // The field's preparation, told as it went: the seeding, then the wave
  // front rising from 30 to 100.
  ASSERT_TRUE(testsupport::waitUntil([&] {
    const std::vector<int64_t> front = host.valuesOf(SIM_EVENT_WAVEFRONT_PROGRESS);
    return !front.empty() && front.back() == 100;
  }));
  EXPECT_EQ(host.valuesOf(SIM_EVENT_COMPARE_PROGRESS), (std::vector<int64_t>{0, 50, 100}));
  const std::vector<int64_t> front = host.valuesOf(SIM_EVENT_WAVEFRONT_PROGRESS);
  ASSERT_GE(front.size(), 3u);
  EXPECT_EQ(front.front(), 30);
  EXPECT_EQ(front.back(), 100);
  EXPECT_TRUE(std::is_sorted(front.begin(), front.end()));
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
  // The far-above colour the host's: the top takes it.
  ASSERT_EQ(SIM_SetStockCompare(view, &compare), 0);
  SIM_StockCompareColors colours = SIM_GetStockCompareColors(view);
  colours.colour[4][0] = 1, colours.colour[4][1] = 0, colours.colour[4][2] = 0;
  ASSERT_EQ(SIM_SetStockCompareColors(view, &colours), 0);
  const std::vector<uint8_t> redTop = picture();
  EXPECT_GT(countOf(redTop, 0), 500);
  EXPECT_LT(countOf(redTop, 2), 20);
  // Off: the stock as it was.
  const SIM_StockCompare off{0, -0.2f, 0.2f};
  ASSERT_EQ(SIM_SetStockCompare(view, &off), 0);
  EXPECT_EQ(picture(), plain);
}

// The top 0.3 mm above the design, the range +-0.4 mm: in the near-above
// band when stepped, halfway between the near-above and the far-above
// colour when blended. Lighting scales a colour, so its channels keep
// their proportions above a common floor.
TEST_F(StockCompareView, AFaceAtAKnownDistanceTakesItsBandsColour) {
  loadBoxAgainstLowerTop(view, 0.3f);
  settleView(SIM_VIEW_TOP);
  SIM_StockCompareColors colours{};
  colours.colour[2][0] = 1;  // within: red
  colours.colour[3][1] = 1;  // near above: green
  colours.colour[4][2] = 1;  // far above: blue
  ASSERT_EQ(SIM_SetStockCompareColors(view, &colours), 0);
  auto centre = [&](uint32_t flags) {
    const SIM_StockCompare compare{SIM_COMPARE_SHOWN | flags, -0.4f, 0.4f};
    EXPECT_EQ(SIM_SetStockCompare(view, &compare), 0);
    const std::vector<uint8_t> rgba = picture();
    const size_t at = (size_t(kSide / 2) * kSide + kSide / 2) * 4;
    return std::array<int, 3>{rgba[at], rgba[at + 1], rgba[at + 2]};
  };
  // The picture lifts every channel by the same floor: the red channel,
  // which neither colour has, shows it.
  const std::array<int, 3> stepped = centre(SIM_COMPARE_STEPPED);
  EXPECT_GT(stepped[1] - stepped[0], 120) << "the near-above colour";
  EXPECT_NEAR(stepped[2], stepped[0], 2) << "and no blue in it";
  const std::array<int, 3> blended = centre(0);
  EXPECT_GT(blended[1] - blended[0], 50);
  EXPECT_NEAR(blended[1] - blended[0], blended[2] - blended[0], 0.1 * (blended[1] - blended[0]))
      << "halfway from green to blue";
}

// Designs a host may hand over that bound no solid, or lie where the stock
// is not: none of them stops the view, the ones with nothing near the stock
// leave it drawn as usual, and a design with a hole or a stray fin still
// colours the sides that lie on it.
TEST_F(StockCompareView, DesignsThatBoundNoSolidOrLieElsewhere) {
  ASSERT_EQ(SIM_CreateStock(view, testsupport::boxStock(1, {-10, -10, -10}, {10, 10, 10})), 0);
  settleView(SIM_VIEW_ISOMETRIC);
  const std::vector<uint8_t> plain = picture();
  const std::vector<float> box = boxSoup({-10, -10, -10}, {10, 10, 6});
  std::vector<float> open = box;
  open.erase(open.begin() + 18, open.begin() + 36);  // the top's two triangles
  std::vector<float> finned = box;
  finned.insert(finned.end(), {-10, 0, -10, 10, 0, -10, 0, 0, 6});  // a fin across the inside
  struct Case {
    const char* what;
    std::vector<float> soup;
    bool compared;  // the sides show as on the design
  };
  const Case cases[] = {
      {"empty", {}, false},
      {"far outside the stock", boxSoup({200, 200, 200}, {220, 220, 216}), false},
      {"open at the top", open, true},
      {"with a fin inside", finned, true},
  };
  const SIM_StockCompare compare{SIM_COMPARE_SHOWN, -0.2f, 0.2f};
  ASSERT_EQ(SIM_SetStockCompare(view, &compare), 0);
  for (const Case& c : cases) {
    SIM_GeometryRecord design = testsupport::namedGeometry("design", SIM_GEOMETRY_WORKPIECE);
    design.vertices = c.soup.empty() ? nullptr : c.soup.data();
    design.vertexCount = c.soup.size() / 3;
    SIM_CreateGeometries(view, {&design, 1}, true);
    const std::vector<uint8_t> compared = picture();
    if (c.compared)
      EXPECT_GT(countOf(compared, 1), 500) << c.what;
    else
      EXPECT_EQ(compared, plain) << c.what;
  }
}

class StockCompareInWindow : public StockCompareView {
 protected:
  void SetUp() override { setUpHiddenWindow(); }
  // The compared surface's distance under a pixel of the frame drawn last.
  std::optional<float> distanceAt(glm::vec2 fraction) {
    return onRenderThread([&] {
      const glm::ivec2 size = view->camera().viewport();
      const view::SceneDraw scene{view->camera().drawState(), {}};
      return view->stock().compareDistanceAt(scene, size.x, size.y, int(fraction.x * size.x), int(fraction.y * size.y));
    });
  }
  void nextFrames() {
    view->requestRedraw();
    for (int k = 0; k < 3; ++k) onRenderThread([] { return 0; });
  }
};

TEST_F(StockCompareInWindow, TheCompareButtonTheLegendAndTheDistanceUnderAPixel) {
  loadBoxAgainstLowerTop(view);
  settleView(SIM_VIEW_TOP);
  // Never set, the button shows the comparison over +-0.1 mm; again, it
  // hides it and keeps the range.
  onRenderThread([&] { view::chooseRibbonAction(*view, 65); return 0; });
  SIM_StockCompare got = SIM_GetStockCompare(view);
  EXPECT_EQ(got.flags & SIM_COMPARE_SHOWN, SIM_COMPARE_SHOWN);
  EXPECT_FLOAT_EQ(got.lower, -0.1f);
  EXPECT_FLOAT_EQ(got.upper, 0.1f);
  EXPECT_TRUE(view->ribbon()->ticked(65));
  nextFrames();
  const UI::ColorGradientBar* legend = view->interfaceFrame().compareLegend();
  ASSERT_NE(legend, nullptr);
  EXPECT_TRUE(legend->visible);
  EXPECT_EQ(legend->label(0).text(), u"-0.100");
  EXPECT_EQ(legend->label(4).text(), u"0.100");
  // Looking down on the top, 4 mm above the design's; off the stock,
  // nothing.
  const std::optional<float> top = distanceAt({0.5f, 0.5f});
  ASSERT_TRUE(top.has_value());
  EXPECT_NEAR(*top, 4.0f, 0.05f);
  EXPECT_FALSE(distanceAt({0.01f, 0.01f}).has_value());
  // The top hidden, the read goes through it to the bottom, on the design.
  const SIM_StockCompare hideAbove{SIM_COMPARE_SHOWN | SIM_COMPARE_HIDE_ABOVE, -0.1f, 0.1f};
  ASSERT_EQ(SIM_SetStockCompare(view, &hideAbove), 0);
  nextFrames();
  const std::optional<float> bottom = distanceAt({0.5f, 0.5f});
  ASSERT_TRUE(bottom.has_value());
  EXPECT_NEAR(*bottom, 0.0f, 0.05f);
  onRenderThread([&] { view::chooseRibbonAction(*view, 65); return 0; });
  got = SIM_GetStockCompare(view);
  EXPECT_EQ(got.flags & SIM_COMPARE_SHOWN, 0u);
  EXPECT_FLOAT_EQ(got.upper, 0.1f);
  EXPECT_FALSE(view->ribbon()->ticked(65));
  nextFrames();
  EXPECT_FALSE(legend->visible);
}

}  // namespace
