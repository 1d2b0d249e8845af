#include "ui/TextButton.h"

#include <algorithm>
#include <utility>

namespace UI {

TextButton::TextButton(UIContext* context, const Theme* theme, std::u16string label)
    : UIElement(context), theme_(theme), label_(context) {
  widthMode = heightMode = SizeMode::Pixels;
  height = kHeight;
  width = 0;
  roundness = 0.3f;
  label_.hangFrom(this, 0.5f, 0.5f);
  label_.alignment = Text::Centre;
  setLabel(std::move(label));
}

void TextButton::setLabel(std::u16string text) {
  label_.setText(std::move(text));
  label_.offsetY = Text::lineHeight(*context) / 2;
  width = std::max(width, label_.textWidth() + 2 * kPadding);
}

void TextButton::collect(std::vector<UIInstance>& records, bool snap) {
  hovered_ = cursorInside();
  if (clicks_.update(*context, hovered_) && enabled && onClick) onClick();
  Colour plate = theme_->panelEdge;
  if (enabled && hovered_) plate = clicks_.armed() ? theme_->pressed : theme_->hover;
  colorBottom = colorTop = plate;
  UIElement::collect(records, snap);
  label_.setColor(enabled ? theme_->text : theme_->textDisabled);
  label_.collect(records, true);
}

}  // namespace UI
