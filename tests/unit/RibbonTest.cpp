// The ribbon bar through recorded frames, without a window: entries run
// their actions on a click and only then, ticks and enabled states follow
// the model, menus open and close, the hint shows the entry under the
// cursor, and later elements lose the cursor while the bar holds it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "support/UIFrames.h"
#include "ui/Ribbonbar.h"
#include "ui/RibbonState.h"
#include "ui/StringTable.h"

namespace {

constexpr float kW = 1200, kH = 700;

class RibbonTest : public ::testing::Test {
 protected:
  RibbonTest() {
    UI::RibbonLink link{&state_, &UI::englishStrings(), &ui_.theme, [this](uint32_t action) {
                          chosen_.push_back(action);
                          if (action == 20 || action == 21 || action == 70 || action == 74)
                            state_.check(action, !state_.ticked(action));
                        }};
    bar_ = std::make_unique<UI::Ribbonbar>(&context_, std::move(link));
    frame({-1, -1}, false);
  }

  // One frame: the cursor (window pixels, y down) and the left button.
  std::vector<UI::UIInstance> frame(std::array<float, 2> cursor, bool down) {
    return ui_.frame({bar_.get()}, cursor, down);
  }
  void click(std::array<float, 2> at) { ui_.click({bar_.get()}, at); }
  std::array<float, 2> centreOf(const UI::UIElement& e) const { return ui_.at(e); }
  UI::SplitButtonItem& item(UI::SplitButton& button, uint32_t action) {
    for (const auto& i : button.menu()->items())
      if (i->action() == action) return *i;
    ADD_FAILURE() << "no item " << action;
    return *button.menu()->items().front();
  }

  testsupport::UIFrames ui_{kW, kH};
  UI::UIContext& context_ = ui_.context;
  UI::RibbonState state_;
  std::vector<uint32_t> chosen_;
  std::unique_ptr<UI::Ribbonbar> bar_;
};

TEST_F(RibbonTest, SitsAtTheTopCentreAndTakesTheCursor) {
  const UI::Rect r = bar_->getRect();
  EXPECT_NEAR((r.x + r.w / 2) * kW, kW / 2, 1.0);
  EXPECT_NEAR((1 - r.y - r.h) * kH, 5.0, 1.0) << "5 pixels below the top";
  // Over the bar the cursor is taken; elsewhere it is left.
  frame(centreOf(*bar_), false);
  EXPECT_LT(context_.cursorX, 0);
  frame({kW / 2, kH / 2}, false);
  EXPECT_EQ(context_.cursorX, kW / 2);
  // Buttons do not overlap and all lie inside the bar.
  float right = r.x;
  for (const auto& b : bar_->buttons()) {
    const UI::Rect br = b->getRect();
    EXPECT_GE(br.x, right - 1e-6f);
    EXPECT_LE(br.x + br.w, r.x + r.w + 1e-6f);
    right = br.x + br.w;
  }
}

TEST_F(RibbonTest, AClickRunsTheEntryAndADragDoesNot) {
  UI::SplitButton& toolpath = *bar_->buttonOf(20);
  const auto at = centreOf(toolpath.main());
  // Pressed, dragged 3 pixels away and back: no click.
  frame(at, false);
  frame(at, true);
  frame({at[0] + 3, at[1]}, true);
  frame(at, true);
  frame(at, false);
  EXPECT_TRUE(chosen_.empty());
  // Pressed outside, released inside: no click either.
  frame({at[0] + 200, at[1] + 200}, true);
  frame(at, true);
  frame(at, false);
  EXPECT_TRUE(chosen_.empty());
  EXPECT_TRUE(toolpath.main().ticked) << "the toolpath is shown from the start";
  click(at);
  EXPECT_EQ(chosen_, std::vector<uint32_t>{20});
  frame(at, false);
  EXPECT_FALSE(toolpath.main().ticked) << "the model's tick";
  // A disabled entry ignores clicks and draws faded.
  state_.setEnabled(20, false);
  click(at);
  EXPECT_EQ(chosen_.size(), 1u);
  EXPECT_LT(toolpath.main().icon().colorTop[3], 1.0f);
}

TEST_F(RibbonTest, MenusOpenRunTheirEntriesAndCloseOnAPressElsewhere) {
  UI::SplitButton& toolpath = *bar_->buttonOf(20);
  ASSERT_NE(toolpath.arrow(), nullptr);
  EXPECT_FALSE(toolpath.menuOpen());
  click(centreOf(*toolpath.arrow()));
  ASSERT_TRUE(toolpath.menuOpen());
  EXPECT_TRUE(chosen_.empty()) << "the arrow only opens the menu";
  // The rows sit below the bar, one under the other.
  UI::SplitButtonItem& points = item(toolpath, 21);
  UI::SplitButtonItem& rapids = item(toolpath, 22);
  EXPECT_LT(points.getRect().y + points.getRect().h, bar_->getRect().y + 1e-6f);
  EXPECT_NEAR(points.getRect().y - rapids.getRect().y, 22.0f / kH, 1e-6f);
  // Ticks follow the model: rapid moves are on from the start.
  frame(centreOf(points), false);
  EXPECT_FALSE(points.icon().visible);
  EXPECT_TRUE(rapids.icon().visible);
  EXPECT_LT(context_.cursorX, 0) << "the open menu holds the cursor";
  click(centreOf(points));
  EXPECT_EQ(chosen_, std::vector<uint32_t>{21});
  frame(centreOf(points), false);
  EXPECT_TRUE(points.icon().visible);
  EXPECT_TRUE(toolpath.menuOpen()) << "stays open for the next choice";
  // The open menu is drawn over the panels walked after the bar.
  std::vector<UI::UIInstance> overlay;
  bar_->appendOverlay(overlay);
  EXPECT_TRUE(std::any_of(overlay.begin(), overlay.end(), [](const UI::UIInstance& r) { return r.w > 0; }))
      << "the open menu's records";
  // A press elsewhere closes it, and that press and its release are the
  // bar's: nothing below sees them.
  frame({kW / 2, kH / 2}, true);
  EXPECT_FALSE(toolpath.menuOpen());
  EXPECT_LT(context_.cursorX, 0);
  frame({kW / 2, kH / 2}, false);
  EXPECT_LT(context_.cursorX, 0);
  frame({kW / 2, kH / 2}, false);
  EXPECT_EQ(context_.cursorX, kW / 2);
  // A closed menu's rows take no clicks.
  click(centreOf(rapids));
  EXPECT_EQ(chosen_.size(), 1u);
}

TEST_F(RibbonTest, MainPartOfThePanelsButtonSwitchesAllItsEntries) {
  UI::SplitButton* panels = nullptr;
  for (const auto& b : bar_->buttons())
    if (b->entry().togglesAll) panels = b.get();
  ASSERT_NE(panels, nullptr);
  // Only 70 and 74 change their tick in this model; all six are chosen to
  // switch on, then only the ticked ones to switch off.
  click(centreOf(panels->main()));
  EXPECT_EQ(chosen_.size(), panels->entry().menu.size());
  chosen_.clear();
  frame(centreOf(panels->main()), false);
  EXPECT_TRUE(panels->main().ticked);
  click(centreOf(panels->main()));
  std::sort(chosen_.begin(), chosen_.end());
  EXPECT_EQ(chosen_, (std::vector<uint32_t>{70, 74}));
}

TEST_F(RibbonTest, TheHintShowsTheEntryUnderTheCursor) {
  UI::SplitButton& toolpath = *bar_->buttonOf(20);
  frame(centreOf(toolpath.main()), false);
  EXPECT_EQ(bar_->shownHint(), 233);
  frame(centreOf(*toolpath.arrow()), false);
  EXPECT_EQ(bar_->shownHint(), 234);
  // Without a hint of its own, About shows its label.
  frame(centreOf(bar_->buttonOf(76)->main()), false);
  EXPECT_EQ(bar_->shownHint(), 192);
  frame({kW / 2, kH / 2}, false);
  EXPECT_EQ(bar_->shownHint(), -1);
  // A still cursor over the same entry changes no record.
  const auto at = centreOf(toolpath.main());
  const std::vector<UI::UIInstance> first = frame(at, false);
  const std::vector<UI::UIInstance> second = frame(at, false);
  ASSERT_EQ(first.size(), second.size());
  EXPECT_EQ(0, std::memcmp(first.data(), second.data(), first.size() * sizeof(UI::UIInstance)));
}

}  // namespace
