// The information panel: the numbers it shows in millimetres and inches,
// rows that change only with their text, and a panel that grows with its
// longest row.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "ui/FontAtlas.h"
#include "ui/Information.h"
#include "ui/StringTable.h"

namespace {

TEST(InformationPanel, NumbersAndDurations) {
  struct Number {
    double value;
    int decimals;
    std::u16string text;
  };
  for (const Number& n : {Number{12.5, 3, u"12.500"}, {-0.0001, 3, u"0.000"}, {-0.25, 2, u"-0.25"},
                          {1e6, 0, u"1000000"}, {std::nan(""), 3, u"-"}, {2.5, 12, u"2.500000000"}})
    EXPECT_EQ(UI::formatNumber(n.value, n.decimals), n.text) << n.value;
  EXPECT_EQ(UI::formatDuration(3723.4), u"1:02:03");
  EXPECT_EQ(UI::formatDuration(59.6), u"0:01:00");
  EXPECT_EQ(UI::formatDuration(-5), u"0:00:00");
  EXPECT_EQ(UI::formatDuration(1e300), u"1000000000:00:00");
}

TEST(InformationPanel, ShowsTheValuesInTheViewsUnitsAndChangesOnlyWithThem) {
  UI::UIContext context;
  context.windowWidth = 800, context.windowHeight = 600;
  const UI::FontAtlas atlas = UI::buildFontAtlas(UI::englishStrings(), u"", false, 96);
  context.glyphs = &atlas;
  const UI::Theme theme = UI::Theme::light();
  UI::Information panel(&context, &theme, &UI::englishStrings());
  auto walk = [&] {
    std::vector<UI::UIInstance> records;
    panel.collect(records);
    return records;
  };

  UI::InformationValues v;
  EXPECT_EQ(panel.rowCount(), 8u);
  panel.setValues(v);
  EXPECT_EQ(panel.row(0).value(), u"-") << "nothing played yet";
  v.hasToolpath = true;
  v.tip = {25.4, -50.8, 0};
  v.feed = 1270;
  v.spindle = 12000;
  v.tool = u"T3";
  v.seconds = 90;
  panel.setValues(v);
  EXPECT_EQ(panel.row(0).value(), u"25.400");
  EXPECT_EQ(panel.row(3).value(), u"1270 mm/min");
  EXPECT_EQ(panel.row(5).value(), u"T3");
  EXPECT_EQ(panel.row(7).value(), u"0:01:30");
  v.inch = true;
  v.decimals = 4;
  panel.setValues(v);
  EXPECT_EQ(panel.row(0).value(), u"1.0000");
  EXPECT_EQ(panel.row(1).value(), u"-2.0000");
  EXPECT_EQ(panel.row(3).value(), u"50.00 inch/min");

  // The same values again: the same records, byte for byte.
  const std::vector<UI::UIInstance> first = walk();
  panel.setValues(v);
  const std::vector<UI::UIInstance> again = walk();
  ASSERT_EQ(first.size(), again.size());
  EXPECT_EQ(std::memcmp(first.data(), again.data(), first.size() * sizeof(UI::UIInstance)), 0);

  // A long operation name widens the panel so it still fits.
  const float width = panel.width;
  v.operation = u"Finishing pass with the long ball end mill";
  panel.setValues(v);
  EXPECT_GT(panel.width, width);
  EXPECT_LE(panel.row(6).labelWidth() + panel.row(6).valueWidth(), panel.row(6).width);
}

}  // namespace
