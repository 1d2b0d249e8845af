// The compare's legend and panels driven through recorded frames: the
// legend's bands, labels and mark for the range shown, the range entries'
// refusals, and the switches each report their own change.
#include <gtest/gtest.h>

#include <future>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/UIFrames.h"
#include "ui/ColorGradientBar.h"
#include "ui/StockCompareColors.h"
#include "ui/StockCompareVisibility.h"

namespace {

using testsupport::keys;
using testsupport::UIFrames;

UI::CompareValues someValues() {
  UI::CompareValues v;
  v.shown = true;
  v.lower = -0.2, v.upper = 0.6;
  v.colours = {{{1, 0, 0, 1}, {1, 1, 0, 1}, {0, 1, 0, 1}, {0, 1, 1, 1}, {0, 0, 1, 1}}};
  return v;
}

TEST(ComparePanels, TheLegendFollowsTheRangeTheBandsAndTheDistance) {
  UIFrames ui;
  UI::ColorGradientBar legend(&ui.context, &ui.theme, &UI::englishStrings());
  legend.relX = legend.relY = 0.5f;
  UI::CompareValues v = someValues();
  legend.show(v);
  // Labels at the edges between the six pieces: the limits, their middle
  // and the half bands.
  const char16_t* labels[] = {u"-0.200", u"0.000", u"0.200", u"0.400", u"0.600"};
  for (size_t i = 0; i < UI::ColorGradientBar::kLabels; ++i) EXPECT_EQ(legend.label(i).text(), labels[i]) << i;
  // Blended: each piece runs from one colour to the next, the ends flat.
  EXPECT_EQ(legend.piece(0).colorBottom, v.colours[0]);
  EXPECT_EQ(legend.piece(0).colorTop, v.colours[0]);
  EXPECT_EQ(legend.piece(2).colorBottom, v.colours[1]);
  EXPECT_EQ(legend.piece(2).colorTop, v.colours[2]);
  EXPECT_EQ(legend.piece(5).colorTop, v.colours[4]);
  // Stepped: flat bands, the middle two both in the range's colour; the
  // hidden parts fade.
  v.stepped = true;
  v.visible = {true, false, true};
  legend.show(v);
  for (size_t i : {2u, 3u}) EXPECT_EQ(legend.piece(i).colorBottom, v.colours[2]) << i;
  EXPECT_EQ(legend.piece(4).colorBottom, legend.piece(4).colorTop);
  EXPECT_LT(legend.piece(1).opacity, 1.0f);
  EXPECT_EQ(legend.piece(0).opacity, 1.0f);
  // The mark: where the distance sits, held at the bar's ends; none
  // without a distance.
  EXPECT_FALSE(legend.mark().visible);
  const std::pair<double, float> at[] = {{0.2, 0.5f}, {-0.4, 0.0f}, {-5.0, 0.0f}, {0.8, 1.0f}, {0.0, 1.0f / 3}};
  for (const auto& [distance, fraction] : at)
    EXPECT_NEAR(UI::ColorGradientBar::fractionOf(distance, v.lower, v.upper), fraction, 1e-6) << distance;
  v.distance = 0.0;
  legend.show(v);
  ui.frame({&legend}, {-1, -1}, false);
  EXPECT_TRUE(legend.mark().visible);
  const UI::Rect mark = legend.mark().getRect(), bar = legend.piece(0).getRect(), top = legend.piece(5).getRect();
  EXPECT_NEAR(mark.y + mark.h / 2, bar.y + (top.y + top.h - bar.y) / 3, 2.0f / 700);
  EXPECT_EQ(legend.readout().text(), u"Dist 0.000 mm");
  v.inch = true, v.distance = 0.01;
  legend.show(v);
  EXPECT_EQ(legend.readout().text(), u"Dist 0.0100 inch");
}

TEST(ComparePanels, TheRangeEntriesRefuseWhatIsNoRange) {
  struct Case {
    size_t entry;  // 0 low, 1 high
    std::u16string typed;
    std::optional<std::pair<double, double>> range;  // what reaches the view
    std::u16string shown;
  };
  const Case cases[] = {
      {0, u"-0.5", std::pair{-0.5, 0.6}, u"-0.500"}, {1, u"1", std::pair{-0.2, 1.0}, u"1.000"},
      {0, u"0.6", std::pair{0.6, 0.6}, u"0.600"},    {0, u"0.7", std::nullopt, u"-0.200"},
      {1, u"-0.3", std::nullopt, u"0.600"},          {1, u"", std::nullopt, u"0.600"},
  };
  for (const Case& c : cases) {
    UIFrames ui;
    UI::StockCompareColors panel(&ui.context, &ui.theme, &UI::englishStrings());
    panel.relX = panel.relY = 0.5f;
    panel.show(someValues());
    std::optional<std::pair<double, double>> range;
    panel.onRange = [&](double lower, double upper) { range = std::pair{lower, upper}; };
    UI::InputField& field = panel.limit(c.entry).field();
    ui.click({&panel}, ui.at(field));
    ui.frame({&panel}, {-1, -1}, false, keys(u"", {{UI::EditKey::SelectAll}, {UI::EditKey::Delete}}));
    ui.frame({&panel}, {-1, -1}, false, keys(c.typed, {{UI::EditKey::Enter}}));
    const std::string what(c.typed.begin(), c.typed.end());
    EXPECT_EQ(range, c.range) << what;
    EXPECT_EQ(field.text(), c.shown) << what;
  }
}

TEST(ComparePanels, SwatchesAndSwitchesReportTheirOwnChange) {
  UIFrames ui;
  UI::StockCompareColors colours(&ui.context, &ui.theme, &UI::englishStrings());
  UI::StockCompareVisibility visibility(&ui.context, &ui.theme, &UI::englishStrings());
  colours.relX = 0.3f, colours.relY = 0.5f;
  visibility.relX = 0.7f, visibility.relY = 0.5f;
  UI::CompareValues v = someValues();
  v.visible = {true, false, true};
  colours.show(v);
  visibility.show(v);
  // A swatch opens its dialog at its band's colour and reports that band.
  std::vector<UI::Colour> asked;
  std::promise<std::optional<UI::Colour>> answer;
  colours.setChooser([&](const UI::Colour& current) {
    asked.push_back(current);
    return answer.get_future().share();
  });
  std::vector<std::pair<size_t, UI::Colour>> changed;
  colours.onColour = [&](size_t band, const UI::Colour& c) { changed.emplace_back(band, c); };
  ui.click({&colours}, ui.at(colours.swatch(3)));
  answer.set_value(UI::Colour{0.5f, 0.5f, 0.5f, 1});
  ui.frame({&colours}, {-1, -1}, false);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], v.colours[3]);
  EXPECT_EQ(changed, (std::vector<std::pair<size_t, UI::Colour>>{{3, {0.5f, 0.5f, 0.5f, 1}}}));
  // The boxes show the values; a click flips one and names it.
  using S = UI::StockCompareVisibility::Switch;
  EXPECT_TRUE(visibility.box(S::Less).on);
  EXPECT_FALSE(visibility.box(S::Range).on);
  EXPECT_TRUE(visibility.box(S::Gradient).on) << "not stepped";
  std::vector<std::pair<S, bool>> toggled;
  visibility.onToggle = [&](S which, bool on) { toggled.emplace_back(which, on); };
  for (S which : {S::Range, S::Gradient}) ui.click({&visibility}, ui.at(visibility.box(which), 0.1f, 0.5f));
  EXPECT_EQ(toggled, (std::vector<std::pair<S, bool>>{{S::Range, true}, {S::Gradient, false}}));
}

}  // namespace
