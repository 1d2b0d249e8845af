// The clickable list through recorded frames: ten rows at a time, a click
// on the tick box ticks and one on the text selects, the wheel and the
// scroll bar move through a long list, the selection scrolls into sight
// once, and the panel holds the cursor.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "ui/ClickableList.h"
#include "support/UIFrames.h"
#include "ui/StringTable.h"

namespace {

constexpr float kW = 800, kH = 600;

class ClickableListTest : public ::testing::Test {
 protected:
  ClickableListTest() {
    list_.relX = list_.relY = 0.5f;
    list_.onSelect = [this](size_t row) { selected_.push_back(row); };
    list_.onTick = [this](size_t row, bool ticked) { ticks_.push_back({row, ticked}); };
    std::vector<UI::ClickableList::Row> rows;
    for (int i = 0; i < 25; ++i) rows.push_back({u"Operation " + std::u16string(1, char16_t(u'A' + i)), i % 2 == 0});
    list_.setRows(rows);
    frame({-1, -1}, false);
  }
  void frame(std::array<float, 2> cursor, bool down, double wheel = 0) {
    UI::FrameInput input;
    input.scrollTotal = wheel;  // the steps of this frame
    ui_.frame({&list_}, cursor, down, input);
  }
  void click(std::array<float, 2> at) { ui_.click({&list_}, at); }
  // Window pixels in an element: fx, fy fractions across it (fy from the top).
  std::array<float, 2> at(const UI::UIElement& e, float fx, float fy) const { return ui_.at(e, fx, fy); }

  testsupport::UIFrames ui_{kW, kH};
  UI::UIContext& context_ = ui_.context;
  UI::ClickableList list_{&context_, &ui_.theme};
  std::vector<size_t> selected_;
  std::vector<std::pair<size_t, bool>> ticks_;
  double scroll_ = 0;
};

TEST_F(ClickableListTest, TickBoxesTickAndTextSelects) {
  EXPECT_EQ(list_.item(0).row, 0u);
  EXPECT_EQ(list_.item(9).row, 9u);
  // The tick box of row 1 (unticked): asks to tick it; nothing selected.
  click(at(list_.item(1), 0.03f, 0.5f));
  ASSERT_EQ(ticks_.size(), 1u);
  EXPECT_EQ(ticks_[0], (std::pair<size_t, bool>{1, true}));
  EXPECT_TRUE(selected_.empty());
  // Its text: selects it.
  click(at(list_.item(1), 0.6f, 0.5f));
  EXPECT_EQ(selected_, std::vector<size_t>{1});
  EXPECT_EQ(list_.selected(), 1u);
  EXPECT_LT(context_.cursorX, 0) << "the list holds the cursor";
  // A hidden list takes nothing.
  list_.visible = false;
  click(at(list_.item(2), 0.6f, 0.5f));
  EXPECT_EQ(selected_.size(), 1u);
  EXPECT_GE(context_.cursorX, 0);
}

TEST_F(ClickableListTest, WheelAndScrollBarMoveThroughALongList) {
  const auto middle = at(list_, 0.5f, 0.5f);
  frame(middle, false, -3);  // towards the user: down the list
  EXPECT_EQ(list_.firstShown(), 3u);
  EXPECT_EQ(list_.item(0).row, 3u);
  frame(middle, false, 10);
  EXPECT_EQ(list_.firstShown(), 0u) << "clamped at the top";
  frame(middle, false, -100);
  EXPECT_EQ(list_.firstShown(), 15u) << "clamped at the last ten";
  // A press on the track above the thumb pages up.
  list_.scrollTo(15);
  frame({-1, -1}, false);
  click(at(list_.scrollBar(), 0.5f, 0.05f));
  EXPECT_EQ(list_.firstShown(), 5u);
  // Dragging the thumb to the bottom shows the end.
  const auto grip = at(list_.scrollBar().thumb(), 0.5f, 0.5f);
  frame(grip, false);
  frame(grip, true);
  frame({grip[0], grip[1] + 300}, true);
  EXPECT_EQ(list_.firstShown(), 15u);
  frame({grip[0], grip[1] + 300}, false);
  // A short list has no bar and does not scroll.
  list_.setRows({{u"All", true}, {u"Operation 1", true}});
  EXPECT_EQ(list_.firstShown(), 0u);
  EXPECT_FALSE(list_.item(2).row.has_value());
  frame(middle, false, -3);
  EXPECT_EQ(list_.firstShown(), 0u);
  EXPECT_FALSE(list_.scrollBar().visible);
}

TEST_F(ClickableListTest, TheSelectionScrollsIntoSightOnce) {
  list_.setSelected(20);
  EXPECT_EQ(list_.firstShown(), 11u);
  // The user scrolls away; the same selection again leaves it there.
  list_.scrollTo(0);
  list_.setSelected(20);
  EXPECT_EQ(list_.firstShown(), 0u);
  list_.setSelected(30);
  EXPECT_FALSE(list_.selected().has_value()) << "past the end";
  // Fewer rows drop a selection beyond them.
  list_.setSelected(12);
  list_.setRows({{u"All", true}});
  EXPECT_FALSE(list_.selected().has_value());
}

}  // namespace
