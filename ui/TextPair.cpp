#include "ui/TextPair.h"

namespace UI {

namespace {

void placeText(Text& text, UIElement* row, float relX, uint32_t alignment) {
  text.hangFrom(row, relX, 1);
  text.alignment = alignment;
}

}  // namespace

TextPair::TextPair(UIContext* context, const Theme* theme)
    : UIElement(context), theme_(theme), label_(context), value_(context) {
  widthMode = heightMode = SizeMode::Pixels;
  placeText(label_, this, 0, Text::Left);
  placeText(value_, this, 1, Text::Right);
}

void TextPair::setLabel(const std::u16string& text) {
  if (text != label_.text()) label_.setText(text);
}

void TextPair::setValue(const std::u16string& text) {
  if (text == fullValue_) return;
  fullValue_ = text;
  // A tool's name can be anything.
  value_.setTextWithin(text, kMaxValueWidth);
}

float TextPair::labelWidth() const { return label_.textWidth(); }
float TextPair::valueWidth() const { return value_.textWidth(); }

void TextPair::collect(std::vector<UIInstance>& records, bool snap) {
  colorBottom = colorTop = {0, 0, 0, 0};
  label_.setColor(theme_->textDisabled);
  value_.setColor(theme_->text);
  UIElement::collect(records, snap);
  label_.collect(records, true);
  value_.collect(records, true);
}

}  // namespace UI
