#pragma once
// A line of interface text: one Letter per UTF-16 code unit, each a quad of
// the glyph atlas, hanging from the text element's top edge at the aligned
// point (left, centre or right). Letters past the maximum width are not
// drawn. The text element itself only takes events; the letters draw.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/UIElement.h"

namespace UI {

class Letter : public UIElement {
 public:
  Letter(UIContext* context, char16_t character) : UIElement(context), character(character) {}
  char16_t character;
};

class Text : public UIElement {
 public:
  enum Alignment : uint32_t { Left = 0, Centre = 1, Right = 2 };

  explicit Text(UIContext* context) : UIElement(context) {}

  // New letters for the string, laid out at once (the context's glyph
  // table must be set; without it every letter is empty).
  void setText(std::u16string text);
  const std::u16string& text() const { return text_; }
  // The text as it fits in width logical pixels: cut where "..." still
  // fits after it when it is wider (never inside a surrogate pair).
  void setTextWithin(const std::u16string& text, float width);
  // Hangs the text from a point of its parent: (relX, relY) of the
  // parent's rectangle moved by the offsets (logical pixels).
  void hangFrom(UIElement* owner, float atX, float atY, float byX = 0, float byY = 0);
  // The colour of every letter, both ends of the gradient.
  void setColor(const std::array<float, 4>& rgba);
  // Alignment and maximum width (logical pixels, 0 unlimited) take effect
  // with the next layout.
  void layout();
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  uint32_t alignment = Left;
  float maxWidth = 0;
  // How far the text is moved left (logical pixels): the letters that lie
  // wholly inside [scrollX, scrollX + maxWidth] of the unmoved text are drawn.
  float scrollX = 0;
  // Letters drawn (a run from firstVisible()), and each letter's pen
  // position followed by the end (logical pixels from the aligned point,
  // the scroll taken off).
  size_t visibleCount() const { return endVisible_ - firstVisible_; }
  size_t firstVisible() const { return firstVisible_; }
  const std::vector<float>& penPositions() const { return pen_; }
  const Letter& letter(size_t i) const { return *letters_[i]; }
  size_t letterCount() const { return letters_.size(); }
  // The whole string's width, logical pixels.
  float textWidth() const { return pen_.back() - pen_.front(); }
  // The glyph table's line height in logical pixels (16 without a table).
  static float lineHeight(const UIContext& context);

 private:
  std::u16string text_;
  std::array<float, 4> color_{1, 1, 1, 1};
  std::vector<std::unique_ptr<Letter>> letters_;
  std::vector<float> pen_{0.0f};  // an empty text: only the start
  size_t firstVisible_ = 0, endVisible_ = 0;
  uint32_t laidOutFor_ = 0;  // the context's glyph generation at the last layout
};

}  // namespace UI
