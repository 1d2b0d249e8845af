#include "ui/ControlButton.h"

namespace UI {

ControlButton::ControlButton(UIContext* context, const Theme* theme, IconId icon, uint16_t hintEntry)
    : UIElement(context), theme_(theme), icon_(context, icon), hintEntry_(hintEntry) {
  widthMode = heightMode = SizeMode::Pixels;
  width = height = kSize;
  roundness = 1;
  icon_.parent = this;
  icon_.widthMode = icon_.heightMode = SizeMode::Pixels;
  icon_.width = icon_.height = kIconSize;
  icon_.relX = icon_.relY = 0.5f;
  icon_.anchorX = icon_.anchorY = 0.5f;
}

void ControlButton::collect(std::vector<UIInstance>& records, bool snap) {
  hovered_ = cursorInside();
  if (clicks_.update(*context, hovered_) && enabled && onClick) onClick();
  Colour disc{0, 0, 0, 0};
  if (enabled && hovered_) disc = clicks_.armed() ? theme_->pressed : theme_->hover;
  colorBottom = colorTop = disc;
  UIElement::collect(records, snap);
  icon_.colorBottom = icon_.colorTop = enabled ? theme_->icon : theme_->iconDisabled;
  icon_.collect(records, true);
}

}  // namespace UI
