#include "ui/InputPair.h"

namespace UI {

InputPair::InputPair(UIContext* context, const Theme* theme)
    : UIElement(context), theme_(theme), label_(context), unit_(context), field_(context, theme) {
  widthMode = heightMode = SizeMode::Pixels;
  height = 22;
  const float line = Text::lineHeight(*context);
  label_.hangFrom(this, 0, 0.5f, 0, line / 2);
  unit_.hangFrom(this, 1, 0.5f, -kUnitWidth + 4, line / 2);
  unit_.anchorX = 1;
  field_.parent = this;
  field_.relX = 1, field_.relY = 0.5f;
  field_.anchorX = 1, field_.anchorY = 0.5f;
  field_.offsetX = -kUnitWidth;
  field_.width = kFieldWidth;
  field_.alignment = Text::Left;
}

void InputPair::setLabel(const std::u16string& text) { label_.setText(text); }

void InputPair::setUnit(const std::u16string& text) { unit_.setText(text); }

void InputPair::setValue(const std::u16string& text) {
  field_.showLatest(text);
}

void InputPair::onRelease() {
  // The label is part of the entry: a click on it edits the value.
  if (context->click && label_.shown() && cursorInside() && !field_.cursorInside()) field_.beginEditing();
}

void InputPair::collect(std::vector<UIInstance>& records, bool snap) {
  UIElement::collect(records, snap);
  label_.setColor(theme_->text);
  unit_.setColor(theme_->textDisabled);
  label_.collect(records, true);
  field_.collect(records, true);
  unit_.collect(records, true);
}

}  // namespace UI
