// The interface's elements: where layout puts them at several content
// scales, the button and click states the frame pass steps through, and
// the slots an element's events reach.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "ui/FontAtlas.h"
#include "ui/IconAtlas.h"
#include "ui/IconVariant.h"
#include "ui/StringTable.h"
#include "ui/Text.h"
#include "ui/UIContext.h"
#include "ui/UIElement.h"

namespace {

constexpr float kW = 1600, kH = 900;

UI::UIContext contextAt(float scale) {
  UI::UIContext c;
  c.windowWidth = kW;
  c.windowHeight = kH;
  c.contentScaleX = c.contentScaleY = scale;
  return c;
}

// Pixels of a rectangle: left, bottom, width, height.
struct Pixels {
  float x, y, w, h;
};

Pixels pixelsOf(const UI::Rect& r) { return {r.x * kW, r.y * kH, r.w * kW, r.h * kH}; }

TEST(UILayout, RectanglesMatchHandComputedOnes) {
  struct Case {
    std::string name;
    float scale;
    Pixels expected;
  };
  // A 100 x 20 logical-pixel bar hanging from the top centre, 10 right and
  // 5 down: scaled sizes and offsets, the corner and far edges on whole
  // pixels.
  for (const Case& c : {Case{"scale 1", 1.0f, {760, 875, 100, 20}}, Case{"scale 1.25", 1.25f, {750, 869, 125, 25}},
                        Case{"scale 2", 2.0f, {720, 850, 200, 40}}}) {
    SCOPED_TRACE(c.name);
    UI::UIContext context = contextAt(c.scale);
    UI::UIElement bar(&context);
    bar.relX = 0.5f, bar.relY = 1.0f, bar.offsetX = 10, bar.offsetY = -5;
    bar.widthMode = bar.heightMode = UI::SizeMode::Pixels;
    bar.width = 100, bar.height = 20;
    bar.anchorX = 0.5f, bar.anchorY = 1.0f;
    const Pixels p = pixelsOf(bar.getRect());
    EXPECT_NEAR(p.x, c.expected.x, 1e-3);
    EXPECT_NEAR(p.y, c.expected.y, 1e-3);
    EXPECT_NEAR(p.w, c.expected.w, 1e-3);
    EXPECT_NEAR(p.h, c.expected.h, 1e-3);

    // Inside it, a square from the parent's width (half of it), centred;
    // and a one-pixel line that keeps its fractional height.
    UI::UIElement square(&context);
    square.parent = &bar;
    square.relX = square.relY = 0.5f;
    square.anchorX = square.anchorY = 0.5f;
    square.width = 0.5f;
    square.height = 0.5f;
    square.heightMode = UI::SizeMode::ParentWidth;
    const Pixels s = pixelsOf(square.getRect());
    EXPECT_NEAR(s.w, c.expected.w / 2, 1.0);
    EXPECT_NEAR(s.h, s.w, 1e-3);
    EXPECT_NEAR(s.x + s.w / 2, c.expected.x + c.expected.w / 2, 1.0);
    UI::UIElement line(&context);
    line.parent = &bar;
    line.heightMode = UI::SizeMode::Pixels;
    line.height = 1;
    line.relY = 0.5f;
    const Pixels l = pixelsOf(line.getRect());
    EXPECT_NEAR(l.h, c.scale, 1e-3);
    EXPECT_NEAR(l.y, std::round(l.y), 1e-3);
  }
}

TEST(UILayout, HitsAnchorsAndRecords) {
  UI::UIContext context = contextAt(1.0f);
  UI::UIElement e(&context);
  e.relX = 0.25f, e.relY = 0.5f, e.width = 0.5f, e.height = 0.25f;
  EXPECT_TRUE(e.hitTest(0.25f, 0.5f));
  EXPECT_FALSE(e.hitTest(0.75f, 0.6f)) << "the far edge is outside";
  const UI::Rect before = e.getRect();
  e.setAnchor(1.0f, 1.0f, true);
  const UI::Rect after = e.getRect();
  EXPECT_NEAR(after.x, before.x, 1e-6);
  EXPECT_NEAR(after.y, before.y, 1e-6);
  e.setAnchor(0.0f, 0.0f, false);
  EXPECT_NEAR(e.getRect().x, before.x + before.w, 1e-6);

  e.opacity = 0.5f;
  e.colorBottom = {1, 0, 0, 1};
  e.drawMode = 3;
  e.drawModeExtra = 2;
  std::vector<UI::UIInstance> records;
  e.collect(records);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].mode, 5.0f);
  EXPECT_EQ(records[0].colorBottom[3], 0.5f);
  e.visible = false;
  EXPECT_FALSE(e.hitTest(0.8f, 0.6f));
  e.collect(records);
  EXPECT_EQ(records[1].w, 0.0f);
  EXPECT_EQ(records[1].colorBottom[3], 0.0f);
}

// The left button through recorded frames: (down, cursor x).
TEST(UIInput, ButtonStatesAndTheClickGesture) {
  struct Frame {
    bool down;
    float x;
  };
  struct Case {
    std::string name;
    std::vector<Frame> frames;
    std::vector<UI::ButtonState> states;
    bool click;
  };
  using S = UI::ButtonState;
  const Case cases[] = {
      // Pressed and released between two frames: down for one frame.
      {"within one frame", {{true, 100}, {false, 100}, {false, 100}}, {S::Pressed, S::Released, S::Idle}, true},
      {"held, 2.0 away", {{true, 100}, {true, 102}, {false, 102}}, {S::Pressed, S::Held, S::Released}, true},
      {"2.1 away and back", {{true, 100}, {true, 102.1f}, {true, 100}, {false, 100}},
       {S::Pressed, S::Held, S::Held, S::Released}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UI::UIContext context = contextAt(1.0f);
    bool clicked = false;
    for (size_t i = 0; i < c.frames.size(); ++i) {
      UI::FrameInput input;
      input.windowWidth = kW, input.windowHeight = kH;
      input.cursorX = c.frames[i].x, input.cursorY = 50;
      input.buttonDown[0] = c.frames[i].down;
      context.beginFrame(input);
      EXPECT_EQ(context.left, c.states[i]) << "frame " << i;
      clicked |= context.click;
      if (context.click) {
        EXPECT_EQ(context.left, S::Released);
      }
    }
    EXPECT_EQ(clicked, c.click);
  }
}

// Which slots an element's events reach.
class Recorder : public UI::UIElement {
 public:
  using UIElement::UIElement;
  std::string calls;
  void onPress() override { calls += "1"; }
  void onPressInside() override { calls += "2"; }
  void onHold() override { calls += "3"; }
  void onHoldInside() override { calls += "4"; }
  void onRelease() override { calls += "5"; }
  void onReleaseInside() override { calls += "6"; }
  void onScrollInside(double) override { calls += "7"; }
  void onScroll(double) override { calls += "8"; }
};

TEST(UIInput, SlotsFollowTheButtonTheScrollAndTheCursor) {
  UI::UIContext context = contextAt(1.0f);
  Recorder under(&context), elsewhere(&context);
  under.width = under.height = 0.5f;        // bottom left quarter
  elsewhere.relX = elsewhere.relY = 0.5f;   // top right quarter
  elsewhere.width = elsewhere.height = 0.5f;
  std::vector<UI::UIInstance> records;
  double scroll = 0;
  auto frame = [&](bool down, double wheel, bool panelTookCursor) {
    UI::FrameInput input;
    input.windowWidth = kW, input.windowHeight = kH;
    input.cursorX = 100, input.cursorY = 800;  // over the bottom left
    input.buttonDown[0] = down;
    input.scrollTotal = scroll += wheel;
    context.beginFrame(input);
    if (panelTookCursor) context.takeCursor();
    under.collect(records);
    elsewhere.collect(records);
  };
  frame(true, 0, false);
  frame(true, 1.5, false);
  frame(false, 0, false);
  frame(false, 0, false);  // idle: nothing
  frame(false, -1, true);  // the cursor taken: scrolling reaches every element, inside none
  EXPECT_EQ(under.calls, "12" "3487" "56" "" "8");
  EXPECT_EQ(elsewhere.calls, "1" "38" "5" "" "8");
  frame(false, 0, false);
  EXPECT_FALSE(context.moved) << "the cursor a panel took last frame stood still";
}

// Text hangs from its aligned point: left text starts there, right text
// ends there, centred text is centred on it to the pixel; a maximum width
// stops the letters that pass it.
TEST(UIText, AlignmentAndMaximumWidth) {
  UI::UIContext context = contextAt(1.0f);
  const UI::FontAtlas atlas = UI::buildFontAtlas(UI::englishStrings(), u"", false, 96);
  context.glyphs = &atlas;
  UI::Text text(&context);
  text.setText(u"Feed 1200");
  ASSERT_EQ(text.letterCount(), 9u);
  float total = 0;
  for (char16_t c : std::u16string(u"Feed 1200")) total += atlas.glyph(c).advance;
  EXPECT_EQ(text.penPositions().front(), 0.0f);
  EXPECT_NEAR(text.penPositions().back(), total, 1e-4);
  text.alignment = UI::Text::Right;
  text.layout();
  EXPECT_LE(std::abs(text.penPositions().back()), 0.5f) << "ends at the point";
  text.alignment = UI::Text::Centre;
  text.layout();
  EXPECT_EQ(text.penPositions().front(), std::round(-total / 2));
  EXPECT_EQ(text.visibleCount(), 9u);

  // Each letter: its glyph's quad, the text's colour, one pixel left of
  // its pen position.
  text.setColor({0.2f, 0.4f, 0.6f, 1});
  const UI::Letter& f = text.letter(0);
  const UI::GlyphRecord& g = atlas.glyph(u'F');
  EXPECT_EQ(f.texRect[0], g.u0);
  EXPECT_EQ(f.texRect[2], g.u0 + g.uSize);
  EXPECT_EQ(f.width, g.width);
  EXPECT_EQ(f.offsetX, text.penPositions().front() - 1);
  EXPECT_EQ(f.colorTop[2], 0.6f);
  std::vector<UI::UIInstance> records;
  text.collect(records);
  EXPECT_EQ(records.size(), 9u) << "letters only";
  EXPECT_EQ(records[0].mode, 2.0f);

  text.maxWidth = atlas.glyph(u'F').advance - 0.5f;
  text.layout();
  EXPECT_EQ(text.visibleCount(), 0u);
  text.maxWidth = atlas.glyph(u'F').advance + atlas.glyph(u'e').advance;
  text.layout();
  EXPECT_EQ(text.visibleCount(), 2u);
  records.clear();
  text.collect(records);
  EXPECT_EQ(records.size(), 2u);

  // A panel's fading and hiding reach the letters it holds.
  UI::UIElement panel(&context);
  text.parent = &panel;
  panel.opacity = 0.5f;
  records.clear();
  text.collect(records);
  EXPECT_EQ(records[0].colorTop[3], 0.5f);
  panel.visible = false;
  records.clear();
  text.collect(records);
  EXPECT_EQ(records[0].w, 0.0f);
  EXPECT_EQ(records[0].colorTop[3], 0.0f);

  text.setText(u"");
  EXPECT_EQ(text.penPositions().size(), 1u);
}

TEST(UIIcons, VariantByDpi) {
  const std::pair<int, int> cases[] = {{96, 96}, {100, 96}, {110, 120}, {120, 120}, {144, 144},
                                       {192, 192}, {240, 120}, {288, 144}, {300, 192}, {72, 96}};
  for (const auto& [dpi, variant] : cases) EXPECT_EQ(UI::iconVariantDpi(dpi), variant) << dpi;
}

// Each decoded variant: the cell size and image of its DPI, every listed
// icon on a cell of its own with opaque pixels, nothing drawn in the
// margins or between cells, and zero rectangles for index 0 and the unused
// indices.
TEST(UIIcons, EveryVariantHoldsItsIconsOnTheirCells) {
  struct Variant {
    int windowDpi, dpi, cell, side;
  };
  const Variant variants[] = {{96, 96, 32, 512}, {100, 96, 32, 512}, {110, 120, 40, 512}, {240, 120, 40, 512},
                              {144, 144, 48, 1024}, {168, 168, 56, 1024}, {300, 192, 64, 1024}};
  std::vector<uint32_t> listed;
#define KORVANE_ICON_INDEX(index, name, file) listed.push_back(index);
  KORVANE_ICONS(KORVANE_ICON_INDEX)
#undef KORVANE_ICON_INDEX
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.windowDpi);
    const UI::IconAtlas atlas = UI::decodeIconAtlas(v.windowDpi);
    ASSERT_EQ(atlas.dpi, v.dpi);
    ASSERT_EQ(atlas.width, v.side);
    ASSERT_EQ(atlas.height, v.side);
    ASSERT_EQ(atlas.rgba.size(), size_t(v.side) * v.side * 4);
    std::vector<int> owner(size_t(v.side) * v.side, -1);
    for (uint32_t index = 0; index < UI::kIconCount; ++index) {
      const UI::IconRect r = atlas.rect(index);
      if (std::find(listed.begin(), listed.end(), index) == listed.end()) {
        EXPECT_EQ(r, UI::IconRect{}) << index;
        continue;
      }
      const int x0 = int(std::lround(r[0] * v.side)), y0 = int(std::lround(r[1] * v.side));
      const int x1 = int(std::lround(r[2] * v.side)), y1 = int(std::lround(r[3] * v.side));
      ASSERT_EQ(x1 - x0, v.cell - 2) << index;
      ASSERT_EQ(y1 - y0, v.cell - 2) << index;
      ASSERT_EQ((x0 - 1) % v.cell, 0) << index;
      ASSERT_EQ((y0 - 1) % v.cell, 0) << index;
      size_t opaque = 0;
      for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
          int& cell = owner[size_t(y) * v.side + x];
          ASSERT_EQ(cell, -1) << "icons " << cell << " and " << index << " share a cell";
          cell = int(index);
          opaque += atlas.rgba[(size_t(y) * v.side + x) * 4 + 3] == 255;
        }
      EXPECT_GT(opaque, 0u) << "icon " << index << " has opaque pixels";
    }
    size_t stray = 0;
    for (size_t i = 0; i < owner.size(); ++i) stray += owner[i] < 0 && atlas.rgba[i * 4 + 3] != 0;
    EXPECT_EQ(stray, 0u);
  }
  EXPECT_EQ(UI::IconAtlas{}.rect(UI::kIconCount + 5), UI::IconRect{});
}

}  // namespace
