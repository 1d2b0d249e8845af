#include "ui/CuttingPlaneButton.h"

namespace UI {

CuttingPlaneButton::CuttingPlaneButton(UIContext* context, const Theme* theme, uint32_t plane)
    : UIElement(context), theme_(theme), plane_(plane), label_(context) {
  widthMode = heightMode = SizeMode::Pixels;
  width = kWidth;
  height = kHeight;
  roundness = 0.3f;
  label_.hangFrom(this, 0.5f, 0.5f);
  label_.alignment = Text::Centre;
}

void CuttingPlaneButton::setLabel(const std::u16string& text) {
  label_.setText(text);
  label_.offsetY = Text::lineHeight(*context) / 2;
}

void CuttingPlaneButton::collect(std::vector<UIInstance>& records, bool snap) {
  const bool hovered = cursorInside();
  if (clicks_.update(*context, hovered) && onChoose) onChoose(plane_);
  Colour plate = active ? theme_->ticked : theme_->panelEdge;
  if (hovered) plate = clicks_.armed() ? theme_->pressed : theme_->hover;
  colorBottom = colorTop = plate;
  UIElement::collect(records, snap);
  label_.setColor(theme_->text);
  label_.collect(records, true);
}

}  // namespace UI
