#include "ui/InputPair.h"

namespace UI {

InputPair::InputPair(UIContext* context, const Theme* theme)
    : UIElement(context), theme_(theme), label_(context), unit_(context), field_(context, theme) {
  widthMode = heightMode = SizeMode::Pixels;
  height = 22;
  const float line = Text::lineHeight(*context);
  for (Text* text : {&label_, &unit_}) {
    text->parent = this;
    text->widthMode = text->heightMode = SizeMode::Pixels;
    text->width = text->height = 0;
    text->relY = 0.5f;
    text->offsetY = line / 2;
  }
  label_.relX = 0;
  unit_.relX = 1;
  unit_.anchorX = 1;
  unit_.offsetX = -kUnitWidth + 4;
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
  if (!field_.editing() && text != field_.text()) field_.setText(text);
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
