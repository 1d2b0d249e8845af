// The interface's small controls through recorded frames: every clickable
// kind fires on a click and only on a click, switches and radio buttons
// keep their rules, the text field edits as a desktop field does, and the
// context menu opens inside the window, runs its entries and swallows the
// press that closes it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "support/UIFrames.h"
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/ColorPicker.h"
#include "ui/ContextMenu.h"
#include "ui/ControlButton.h"
#include "ui/CuttingPlaneSettings.h"
#include "ui/InputField.h"
#include "ui/NumberText.h"
#include "ui/RadioButton.h"
#include "ui/RibbonState.h"
#include "ui/StockColorSetting.h"
#include "ui/StockQuality.h"
#include "ui/TextButton.h"
#include "ui/TextPair.h"
#include "ui/ToggleTextButton.h"

namespace {

using testsupport::UIFrames;
using Point = UIFrames::Point;

// A clickable of some kind, placed mid-window, with a count of its clicks.
struct Clickable {
  std::unique_ptr<UI::UIElement> element;
  std::shared_ptr<int> clicks = std::make_shared<int>(0);
  std::function<void(bool)> setEnabled;
};

Clickable makeClickable(const std::string& kind, UIFrames& ui) {
  Clickable c;
  auto count = [n = c.clicks](auto...) { ++*n; };
  auto place = [&](auto element) {
    element->relX = element->relY = 0.5f;
    element->width = std::max(element->width, 60.0f);
    element->height = 24;
    auto* raw = element.get();
    c.setEnabled = [raw](bool on) { raw->enabled = on; };
    c.element = std::move(element);
    return raw;
  };
  if (kind == "Button") place(std::make_unique<UI::Button>(&ui.context, &ui.theme, UI::IconId::Tool))->onClick = count;
  if (kind == "TextButton") place(std::make_unique<UI::TextButton>(&ui.context, &ui.theme, u"Apply"))->onClick = count;
  if (kind == "ControlButton")
    place(std::make_unique<UI::ControlButton>(&ui.context, &ui.theme, UI::IconId::Play, 146))->onClick = count;
  if (kind == "ToggleTextButton")
    place(std::make_unique<UI::ToggleTextButton>(&ui.context, &ui.theme, u"Loop"))->onToggle = count;
  if (kind == "CheckBox") place(std::make_unique<UI::CheckBox>(&ui.context, &ui.theme, u"Grid"))->onToggle = count;
  return c;
}

TEST(InterfaceControls, EveryClickableFiresOnAClickOnly) {
  struct Gesture {
    const char* what;
    Point pressOffset, releaseOffset;  // pixels from the centre
    bool viaFarPoint;                  // strays 2.1 pixels and comes back while held
    bool enabled;
    int fires;
  };
  const Gesture gestures[] = {
      {"click", {0, 0}, {0, 0}, false, true, 1},
      {"moved 2.0 pixels", {0, 0}, {2, 0}, false, true, 1},
      {"strayed 2.1 pixels and back", {0, 0}, {0, 0}, true, true, 0},
      {"pressed outside, released inside", {200, 0}, {0, 0}, false, true, 0},
      {"pressed inside, released outside", {0, 0}, {200, 0}, false, true, 0},
      {"disabled", {0, 0}, {0, 0}, false, false, 0},
  };
  for (const char* kind : {"Button", "TextButton", "ControlButton", "ToggleTextButton", "CheckBox"})
    for (const Gesture& g : gestures) {
      UIFrames ui;
      Clickable c = makeClickable(kind, ui);
      c.setEnabled(g.enabled);
      UI::UIElement* e = c.element.get();
      const Point centre = ui.at(*e);
      auto shifted = [&](Point d) { return Point{centre[0] + d[0], centre[1] + d[1]}; };
      ui.frame({e}, shifted(g.pressOffset), false);
      ui.frame({e}, shifted(g.pressOffset), true);
      if (g.viaFarPoint) ui.frame({e}, shifted({2.1f, 0}), true);
      ui.frame({e}, shifted(g.releaseOffset), true);
      ui.frame({e}, shifted(g.releaseOffset), false);
      EXPECT_EQ(*c.clicks, g.fires) << kind << ": " << g.what;
    }
}

TEST(InterfaceControls, SwitchesFlipAndRadioButtonsStayOn) {
  UIFrames ui;
  UI::CheckBox box(&ui.context, &ui.theme, u"Grid");
  UI::RadioButton radio(&ui.context, &ui.theme, u"Top");
  box.relX = 0.3f, radio.relX = 0.7f;
  std::vector<bool> boxStates, radioStates;
  box.onToggle = [&](bool on) { boxStates.push_back(on); };
  radio.onToggle = [&](bool on) { radioStates.push_back(on); };
  for (int i = 0; i < 3; ++i) {
    ui.click({&box, &radio}, ui.at(box));
    ui.click({&box, &radio}, ui.at(radio));
  }
  EXPECT_EQ(boxStates, (std::vector<bool>{true, false, true}));
  EXPECT_EQ(radioStates, std::vector<bool>{true}) << "a radio button is switched off by its owner, not by a click";
  // The mark draws only while on: the check box's record carries its icon.
  auto markAlpha = [&](UI::UIElement& e) {
    float alpha = 0;
    for (const UI::UIInstance& r : ui.frame({&e}, {-1, -1}, false))
      if (r.mode >= 3) alpha = std::max(alpha, r.colorTop[3]);
    return alpha;
  };
  EXPECT_GT(markAlpha(box), 0);
  box.on = false;
  EXPECT_EQ(markAlpha(box), 0);
  // The label sits after the box, inside the control.
  EXPECT_GT(box.label().offsetX, UI::ToggleTextButton::kMarkBox);
  EXPECT_GE(box.width, box.label().offsetX + box.label().textWidth());
}

// Keyboard input of one frame: the text typed, then the keys.
using testsupport::keys;

TEST(InterfaceControls, TextFieldEdits) {
  using K = UI::EditKey;
  struct Case {
    const char* what;
    std::u16string start;
    std::vector<UI::FrameInput> frames;  // after a click at the field's right end
    std::u16string text;
    bool editing;
    std::vector<std::u16string> commits;
  };
  const std::u16string pair = u"\xD83D\xDE00";  // one character, two code units
  const std::vector<Case> cases = {
      {"type and commit", u"0.5", {keys(u"25"), keys(u"", {{K::Enter}})}, u"0.525", false, {u"0.525"}},
      {"backspace and delete", u"123", {keys(u"", {{K::Backspace}, {K::Home}, {K::Delete}})}, u"2", true, {}},
      {"escape restores", u"abc", {keys(u"xyz", {{K::Backspace}, {K::Escape}})}, u"abc", false, {}},
      {"unchanged text commits nothing", u"7", {keys(u"", {{K::Enter}})}, u"7", false, {}},
      {"shift selects, typing replaces", u"12345", {keys(u"", {{K::Left, true}, {K::Left, true}}), keys(u"9")},
       u"1239", true, {}},
      {"left collapses a selection", u"abcd", {keys(u"", {{K::SelectAll}, {K::Left}}), keys(u"x")}, u"xabcd", true, {}},
      {"control characters are not text", u"", {keys(u"a\tb\x7F\x85")}, u"ab", true, {}},
      {"a pair goes as one", u"a" + pair, {keys(u"", {{K::Backspace}})}, u"a", true, {}},
      {"a pair typed stays whole", u"", {keys(pair)}, pair, true, {}},
      {"a pair is stepped over whole", u"a" + pair + u"b", {keys(u"", {{K::Left}, {K::Left}, {K::Delete}})}, u"ab", true, {}},
  };
  for (const Case& c : cases) {
    UIFrames ui;
    UI::InputField field(&ui.context, &ui.theme);
    field.relX = field.relY = 0.5f;
    field.width = 120;
    field.setText(c.start);
    std::vector<std::u16string> commits;
    field.onCommit = [&](const std::u16string& t) { commits.push_back(t); };
    ui.click({&field}, ui.at(field, 0.99f, 0.5f));
    ASSERT_TRUE(field.editing()) << c.what;
    EXPECT_EQ(field.caret(), c.start.size()) << c.what << ": the caret goes to the nearest boundary";
    for (const UI::FrameInput& input : c.frames) ui.frame({&field}, {-1, -1}, false, input);
    EXPECT_EQ(field.text(), c.text) << c.what;
    EXPECT_EQ(field.editing(), c.editing) << c.what;
    EXPECT_EQ(commits, c.commits) << c.what;
    EXPECT_LE(std::max(field.caret(), field.selectionAnchor()), field.text().size()) << c.what;
  }
}

TEST(InterfaceControls, TextFieldFocusFilterAndLength) {
  UIFrames ui;
  UI::InputField field(&ui.context, &ui.theme);
  field.relX = field.relY = 0.5f;
  field.accepts = UI::InputField::numberCharacter;
  field.maxLength = 4;
  std::vector<std::u16string> commits;
  field.onCommit = [&](const std::u16string& t) { commits.push_back(t); };
  // Keys reach only a field being edited, and only then is the keyboard taken.
  ui.frame({&field}, {-1, -1}, false, keys(u"12"));
  EXPECT_EQ(field.text(), u"");
  EXPECT_FALSE(ui.context.keyboardCaptured);
  ui.click({&field}, ui.at(field));
  ui.frame({&field}, {-1, -1}, false, keys(u"-1x.25e7"));
  EXPECT_TRUE(ui.context.keyboardCaptured);
  EXPECT_EQ(field.text(), u"-1.2") << "letters refused, four code units kept";
  // A press elsewhere commits.
  ui.click({&field}, {5, 5});
  EXPECT_FALSE(field.editing());
  EXPECT_EQ(commits, std::vector<std::u16string>{u"-1.2"});
  // A drag from the start selects up to the cursor.
  ui.frame({&field}, ui.at(field, 0.0f, 0.5f), false);
  ui.frame({&field}, ui.at(field, 0.0f, 0.5f), true);
  ui.frame({&field}, ui.at(field, 0.99f, 0.5f), true);
  ui.frame({&field}, ui.at(field, 0.99f, 0.5f), false);
  EXPECT_EQ(field.selectionAnchor(), 0u);
  EXPECT_EQ(field.caret(), 4u);
  // Hiding the field ends the edit and keeps it.
  ui.frame({&field}, {-1, -1}, false, keys(u"", {{UI::EditKey::Delete}}));
  field.visible = false;
  ui.frame({&field}, {-1, -1}, false);
  EXPECT_FALSE(field.editing());
  EXPECT_EQ(commits.back(), u"");
}

// A text longer than its field moves to keep the caret inside: typing at
// the end shows the end, Home shows the start, and the edit's end the start.
TEST(InterfaceControls, TextFieldScrollsToKeepTheCaretInside) {
  UIFrames ui;
  UI::InputField field(&ui.context, &ui.theme);
  field.relX = field.relY = 0.5f;
  field.width = 40;
  auto caretInside = [&] {
    const float at = field.penPositions()[field.caret()];
    return at >= 0 && at <= field.width;
  };
  ui.click({&field}, ui.at(field));
  ui.frame({&field}, {-1, -1}, false, keys(u"0123456789012345678901234"));
  ui.frame({&field}, {-1, -1}, false);
  EXPECT_TRUE(caretInside());
  EXPECT_GT(field.firstVisible(), 0u);
  EXPECT_EQ(field.firstVisible() + field.visibleCount(), field.text().size()) << "the last letter shows";
  EXPECT_NEAR(field.scrollX, field.textWidth() - field.width, 1e-3);
  ui.frame({&field}, {-1, -1}, false, keys(u"", {{UI::EditKey::Home}}));
  ui.frame({&field}, {-1, -1}, false);
  EXPECT_TRUE(caretInside());
  EXPECT_EQ(field.firstVisible(), 0u);
  EXPECT_EQ(field.scrollX, 0.0f);
  // Backspace at the end of a scrolled text keeps the end against the edge.
  ui.frame({&field}, {-1, -1}, false, keys(u"", {{UI::EditKey::End}, {UI::EditKey::Backspace}}));
  ui.frame({&field}, {-1, -1}, false);
  EXPECT_TRUE(caretInside());
  EXPECT_NEAR(field.scrollX, field.textWidth() - field.width, 1e-3);
  ui.frame({&field}, {-1, -1}, false, keys(u"", {{UI::EditKey::Enter}}));
  ui.frame({&field}, {-1, -1}, false);
  EXPECT_EQ(field.scrollX, 0.0f);
  EXPECT_EQ(field.firstVisible(), 0u);
}

TEST(InterfacePanels, NumbersReadAsAFieldHoldsThem) {
  const std::pair<std::u16string, std::optional<double>> cases[] = {
      {u"0.25", 0.25}, {u"0,75", 0.75}, {u" -3 ", -3.0}, {u"+2", 2.0}, {u"1e3", 1000.0}, {u"", std::nullopt},
      {u"+-2", std::nullopt}, {u"1.2.3", std::nullopt}, {u"inf", std::nullopt}, {u"1e999", std::nullopt},
      {u"\u0663", std::nullopt}, {u"-", std::nullopt}};
  for (const auto& [text, number] : cases) EXPECT_EQ(UI::parseNumber(text), number) << std::string(text.begin(), text.end());
}

TEST(InterfacePanels, TheQualityEntryTakesOnlyValuesInRange) {
  using Mode = UI::StockQualityValues::Mode;
  struct Case {
    Mode mode;
    bool inch;
    std::u16string typed;
    std::optional<double> change;  // what reaches the view
    std::u16string shown;          // after the commit
  };
  const Case cases[] = {
      {Mode::Fraction, false, u"0.25", 0.25, u"0.25"},   {Mode::Fraction, false, u"0,75", 0.75, u"0.75"},
      {Mode::Fraction, false, u"1.5", std::nullopt, u"0.50"}, {Mode::Fraction, false, u"-0.1", std::nullopt, u"0.50"},
      {Mode::Tolerance, false, u"0.2", 0.2, u"0.200"},   {Mode::Tolerance, true, u"0.01", 0.254, u"0.0100"},
      {Mode::Tolerance, false, u"0", std::nullopt, u"0.500"},
  };
  for (const Case& c : cases) {
    UIFrames ui;
    UI::StockQuality panel(&ui.context, &ui.theme, &UI::englishStrings());
    panel.relX = panel.relY = 0.5f;
    UI::StockQualityValues values;
    values.mode = c.mode, values.inch = c.inch, values.quality = c.mode == Mode::Tolerance && c.inch ? 0.5 * 25.4 : 0.5;
    panel.show(values);
    std::optional<double> changed;
    panel.onChange = [&](double q) { changed = q; };
    ui.click({&panel}, ui.at(panel.entry().field()));
    ui.frame({&panel}, {-1, -1}, false, keys(u"", {{UI::EditKey::SelectAll}}));
    ui.frame({&panel}, {-1, -1}, false, keys(c.typed));
    ui.frame({&panel}, {-1, -1}, false, keys(u"", {{UI::EditKey::Enter}}));
    const std::string what(c.typed.begin(), c.typed.end());
    ASSERT_EQ(changed.has_value(), c.change.has_value()) << what;
    if (changed) {
      EXPECT_NEAR(*changed, *c.change, 1e-12) << what;
    }
    EXPECT_EQ(panel.entry().field().text(), c.shown) << what;
  }
  // The level mode shows the level and takes no edit.
  UIFrames ui;
  UI::StockQuality panel(&ui.context, &ui.theme, &UI::englishStrings());
  UI::StockQualityValues level;
  level.mode = Mode::Level, level.level = 4;
  panel.show(level);
  ui.click({&panel}, ui.at(panel.entry().field()));
  EXPECT_FALSE(panel.entry().field().editing());
  EXPECT_EQ(panel.entry().field().text(), u"4");

  // A value that arrives during an edit shows when the edit ends without a
  // change (Escape, or Enter with nothing typed), and nothing reaches the view.
  UI::StockQualityValues fraction;
  fraction.mode = Mode::Fraction;
  bool changed = false;
  panel.onChange = [&](double) { changed = true; };
  for (const auto& [end, arriving, shown] : {std::tuple{UI::EditKey::Escape, 0.7, u"0.70"},
                                             std::tuple{UI::EditKey::Enter, 0.3, u"0.30"}}) {
    fraction.quality = 0.5;
    panel.show(fraction);
    ui.click({&panel}, ui.at(panel.entry().field()));
    ASSERT_TRUE(panel.entry().field().editing());
    fraction.quality = arriving;
    panel.show(fraction);
    EXPECT_EQ(panel.entry().field().text(), u"0.50") << "an edit keeps its text";
    ui.frame({&panel}, {-1, -1}, false, keys(u"", {{end}}));
    EXPECT_EQ(panel.entry().field().text(), shown);
  }
  EXPECT_FALSE(changed);
}

TEST(InterfacePanels, APlaneChosenTwiceSwitchesTheSectionOff) {
  UIFrames ui;
  UI::CuttingPlaneSettings panel(&ui.context, &ui.theme, &UI::englishStrings());
  panel.relX = panel.relY = 0.5f;
  std::vector<uint32_t> chosen;
  panel.onChoose = [&](uint32_t plane) {
    chosen.push_back(plane);
    panel.show(plane);
  };
  for (uint32_t plane : {1u, 4u, 4u}) ui.click({&panel}, ui.at(panel.button(plane)));
  EXPECT_EQ(chosen, (std::vector<uint32_t>{1, 4, UI::CuttingPlaneSettings::kNone}));
  panel.show(5);
  for (uint32_t plane = 0; plane < 6; ++plane) EXPECT_EQ(panel.button(plane).active, plane == 5);
}

TEST(InterfacePanels, TextsFollowANewGlyphTableAndLongValuesAreCut) {
  UIFrames ui;
  UI::TextPair row(&ui.context, &ui.theme);
  row.setValue(u"T12");
  const float before = row.valueWidth();
  // Another DPI: the letters take the new table's rectangles on their next frame.
  const UI::FontAtlas fine = UI::buildFontAtlas(UI::englishStrings(), u"", false, 192);
  ui.context.glyphs = &fine;
  ++ui.context.glyphGeneration;
  std::vector<UI::UIInstance> records = ui.frame({&row}, {-1, -1}, false);
  const UI::GlyphRecord one = fine.glyph(u'1');
  bool found = false;
  for (const UI::UIInstance& r : records) found = found || (r.texRect[0] == one.u0 && r.texRect[1] == one.v0);
  EXPECT_TRUE(found) << "the glyph of '1' in the 192-DPI table";
  EXPECT_NEAR(row.valueWidth(), before, 2.0f) << "logical widths hardly change";
  // A value wider than the row allows ends in dots, a pair never split.
  row.setValue(std::u16string(400, u'W'));
  EXPECT_LE(row.valueWidth(), UI::TextPair::kMaxValueWidth);
  ASSERT_GE(row.value().size(), 4u);
  EXPECT_EQ(row.value().substr(row.value().size() - 3), u"...");
  for (size_t lead = 0; lead < 10; ++lead) {  // the cut falls on either unit of some pair
    std::u16string name(lead, u'W');
    for (int k = 0; k < 200; ++k) name += u"\xD83D\xDE00";
    row.setValue(name);
    const char16_t last = row.value()[row.value().size() - 4];
    EXPECT_FALSE(last >= 0xD800 && last < 0xDC00) << lead << " letters before the pairs";
  }
  row.setValue(u"T12");
  EXPECT_EQ(row.value(), u"T12");
}

TEST(InterfacePanels, TheSwatchTakesTheDialogsAnswerWhenItComes) {
  UIFrames ui;
  UI::ColorPicker picker(&ui.context, &ui.theme);
  picker.relX = picker.relY = 0.5f;
  picker.setColour({0.2f, 0.2f, 0.2f, 1});
  std::vector<std::promise<std::optional<UI::Colour>>> dialogs;
  dialogs.reserve(4);
  std::vector<UI::Colour> changes;
  picker.chooser = [&](const UI::Colour& current) {
    EXPECT_EQ(current, picker.colour());
    dialogs.emplace_back();
    return dialogs.back().get_future().share();
  };
  picker.onChange = [&](const UI::Colour& c) { changes.push_back(c); };
  ui.click({&picker}, ui.at(picker));
  ui.click({&picker}, ui.at(picker));
  EXPECT_EQ(dialogs.size(), 1u) << "one dialog at a time";
  ui.frame({&picker}, {-1, -1}, false);
  EXPECT_TRUE(picker.choosing());
  dialogs[0].set_value(UI::Colour{1, 0, 0, 1});
  ui.frame({&picker}, {-1, -1}, false);
  EXPECT_EQ(changes, (std::vector<UI::Colour>{{1, 0, 0, 1}}));
  EXPECT_FALSE(picker.choosing());
  // Cancelled: the colour stays.
  ui.click({&picker}, ui.at(picker));
  ASSERT_EQ(dialogs.size(), 2u);
  dialogs[1].set_value(std::nullopt);
  ui.frame({&picker}, {-1, -1}, false);
  EXPECT_EQ(changes.size(), 1u);
  EXPECT_EQ(picker.colour(), (UI::Colour{1, 0, 0, 1}));
}

TEST(InterfacePanels, StockColoursRunTheStockMenusEntries) {
  UIFrames ui;
  UI::RibbonState state;
  std::vector<uint32_t> chosen;
  // Entries 56 and 57 exclude each other, as the view runs them.
  UI::RibbonLink link{&state, &UI::englishStrings(), &ui.theme, [&](uint32_t action) {
                        chosen.push_back(action);
                        const bool on = !state.ticked(action);
                        if (action == 56 || action == 57) state.check(113 - action, false);
                        state.check(action, on);
                      }};
  UI::StockColorSetting panel(&ui.context, &link);
  panel.relX = panel.relY = 0.5f;
  auto clickMode = [&](size_t i) { ui.click({&panel}, ui.at(panel.mode(i), 0.1f, 0.5f)); };
  clickMode(2);  // by tool
  clickMode(1);  // by operation
  clickMode(1);  // already: nothing
  clickMode(0);  // one colour: the one in force goes off
  ui.click({&panel}, ui.at(panel.loop(), 0.1f, 0.5f));
  EXPECT_EQ(chosen, (std::vector<uint32_t>{57, 56, 56, 58}));
  ui.frame({&panel}, {-1, -1}, false);
  EXPECT_TRUE(panel.mode(0).on && !panel.mode(1).on && !panel.mode(2).on);
  EXPECT_TRUE(panel.loop().on);
  // The swatch sits after the first row's label, inside the panel.
  const UI::Rect swatch = panel.picker().getRect(), row = panel.mode(0).getRect(), all = panel.getRect();
  EXPECT_GE(swatch.x, row.x + row.w);
  EXPECT_LE(swatch.x + swatch.w, all.x + all.w);
}

class ContextMenuTest : public ::testing::Test {
 protected:
  ContextMenuTest() {
    ui_.context.contentScaleX = ui_.context.contentScaleY = 1;
    link_ = {&state_, &UI::englishStrings(), &ui_.theme, [this](uint32_t action) { chosen_.push_back(action); }};
    menu_ = std::make_unique<UI::ContextMenu>(&ui_.context, &link_);
    menu_->onClose = [this] { ++closed_; };
    ui_.frame({menu_.get()}, {-1, -1}, false);
  }
  const UI::SplitButtonItem& item(uint32_t action) const {
    for (const auto& i : menu_->rows().items())
      if (i->action() == action) return *i;
    throw std::runtime_error("no such entry");
  }

  UIFrames ui_{1000, 600};
  UI::RibbonState state_;
  UI::RibbonLink link_;
  std::vector<uint32_t> chosen_;
  int closed_ = 0;
  std::unique_ptr<UI::ContextMenu> menu_;
};

TEST_F(ContextMenuTest, OpensInsideTheWindow) {
  struct Case {
    Point cursor;
    bool flipsLeft, flipsUp;
  };
  for (const Case& c : {Case{{100, 100}, false, false}, Case{{990, 100}, true, false}, Case{{100, 590}, false, true},
                        Case{{995, 595}, true, true}, Case{{-1, -1}, false, false}}) {
    menu_->open(c.cursor[0], c.cursor[1], 1000, 600);
    const UI::Rect r = menu_->getRect();
    const float left = r.x * 1000, top = (1 - r.y - r.h) * 600;
    EXPECT_NEAR(c.flipsLeft ? left + r.w * 1000 : left, std::max(c.cursor[0], 0.0f), 1.0f);
    EXPECT_NEAR(c.flipsUp ? top + r.h * 600 : top, std::max(c.cursor[1], 0.0f), 1.0f);
    EXPECT_GE(left, 0);
    EXPECT_LE(left + r.w * 1000, 1000.5f);
    EXPECT_LE(top + r.h * 600, 600.5f);
  }
}

TEST_F(ContextMenuTest, RunsAnEntryAndSwallowsTheClosingPress) {
  state_.setEnabled(69, false);
  menu_->open(300, 200, 1000, 600);
  ui_.frame({menu_.get()}, {-1, -1}, false);
  // A disabled entry runs nothing; "Fit to window" runs and closes.
  ui_.click({menu_.get()}, ui_.at(item(69)));
  EXPECT_TRUE(chosen_.empty());
  EXPECT_TRUE(menu_->isOpen());
  ui_.click({menu_.get()}, ui_.at(item(11)));
  EXPECT_EQ(chosen_, std::vector<uint32_t>{11});
  EXPECT_FALSE(menu_->isOpen());
  EXPECT_EQ(closed_, 1);
  // Open again; a press elsewhere closes it, and the cursor stays taken
  // until the button is up again, so the viewport sees no click.
  menu_->open(300, 200, 1000, 600);
  ui_.frame({menu_.get()}, {800, 500}, false);
  EXPECT_GE(ui_.context.cursorX, 0) << "outside the open menu the cursor is free";
  ui_.frame({menu_.get()}, {800, 500}, true);
  EXPECT_FALSE(menu_->isOpen());
  EXPECT_EQ(closed_, 2);
  ui_.frame({menu_.get()}, {800, 500}, false);
  EXPECT_LT(ui_.context.cursorX, 0) << "the release of the closing press is the menu's";
  ui_.frame({menu_.get()}, {800, 500}, false);
  EXPECT_GE(ui_.context.cursorX, 0);
  // The wheel closes it as well.
  menu_->open(300, 200, 1000, 600);
  UI::FrameInput wheel;
  wheel.scrollTotal = 1;
  ui_.frame({menu_.get()}, {800, 500}, false, wheel);
  EXPECT_FALSE(menu_->isOpen());
  EXPECT_EQ(chosen_.size(), 1u);
}

}  // namespace
