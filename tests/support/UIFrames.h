#pragma once
// Drives interface elements through recorded frames without a window: one
// glyph and icon atlas per process (96 DPI, English), a context, the light
// theme, and frames of cursor, left button, wheel and keyboard.
#include <array>
#include <initializer_list>
#include <string>
#include <vector>

#include "ui/FontAtlas.h"
#include "ui/IconAtlas.h"
#include "ui/StringTable.h"
#include "ui/Theme.h"
#include "ui/UIContext.h"
#include "ui/UIElement.h"

namespace testsupport {

class UIFrames {
 public:
  using Point = std::array<float, 2>;

  explicit UIFrames(float width = 1200, float height = 700) : width_(width), height_(height) {
    static const UI::FontAtlas atlas = UI::buildFontAtlas(UI::englishStrings(), u"", false, 96);
    static const UI::IconAtlas icons = UI::decodeIconAtlas(96);
    context.glyphs = &atlas;
    context.icons = &icons;
    context.windowWidth = width, context.windowHeight = height;
  }

  // One frame over the elements, walked in order; the input's window size is
  // filled in.
  std::vector<UI::UIInstance> frame(std::initializer_list<UI::UIElement*> elements, Point cursor, bool down,
                                    UI::FrameInput input = {}) {
    input.windowWidth = width_, input.windowHeight = height_;
    input.cursorX = cursor[0], input.cursorY = cursor[1];
    input.buttonDown[0] = down;
    input.scrollTotal = scroll_ += input.scrollTotal;
    context.beginFrame(input);
    std::vector<UI::UIInstance> records;
    for (UI::UIElement* e : elements) e->collect(records);
    return records;
  }
  // Up, down, up at one place.
  void click(std::initializer_list<UI::UIElement*> elements, Point at) {
    frame(elements, at, false);
    frame(elements, at, true);
    frame(elements, at, false);
  }
  // Window pixels (y down) at fractions across an element (fy from the top).
  Point at(const UI::UIElement& e, float fx = 0.5f, float fy = 0.5f) const {
    const UI::Rect r = e.getRect();
    return {(r.x + r.w * fx) * width_, (1 - (r.y + r.h * (1 - fy))) * height_};
  }

  UI::UIContext context;
  UI::Theme theme = UI::Theme::light();

 private:
  float width_, height_;
  double scroll_ = 0;  // the input carries wheel steps of one frame; the context wants the total
};

// A frame's keyboard input: the text typed, then the edit keys.
inline UI::FrameInput keys(const std::u16string& typed, const std::vector<UI::EditKeyPress>& edits = {}) {
  UI::FrameInput input;
  for (char16_t c : typed) input.editKeys.push_back({UI::EditKey::Character, false, c});
  input.editKeys.insert(input.editKeys.end(), edits.begin(), edits.end());
  return input;
}

}  // namespace testsupport
