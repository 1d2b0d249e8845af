#include "ui/Button.h"

#include <utility>

namespace UI {

Button::Button(UIContext* context, const Theme* theme, IconId icon)
    : UIElement(context), theme_(theme), icon_(context, icon) {
  widthMode = heightMode = SizeMode::Pixels;
  roundness = 0.25f;
  icon_.parent = this;
  icon_.widthMode = icon_.heightMode = SizeMode::Pixels;
  icon_.visible = icon != IconId::Empty;
  arrange();
}

void Button::setIcon(IconId icon, float sizePixels) {
  icon_.setIcon(icon);
  icon_.width = icon_.height = sizePixels;
  icon_.visible = icon != IconId::Empty;
  arrange();
}

void Button::setLabel(std::u16string text) {
  if (!label_) {
    label_ = std::make_unique<Text>(context);
    label_->parent = this;
    label_->widthMode = label_->heightMode = SizeMode::Pixels;
    label_->width = label_->height = 0;
  }
  label_->setText(std::move(text));
  arrange();
}

void Button::arrange() {
  const bool withIcon = icon_.icon() != IconId::Empty;
  if (!label_) {  // the icon in the middle
    icon_.relX = icon_.relY = 0.5f;
    icon_.anchorX = icon_.anchorY = 0.5f;
    icon_.offsetX = 0;
    return;
  }
  // Icon at the left edge, label after it; both centred vertically.
  icon_.relX = 0, icon_.relY = 0.5f;
  icon_.anchorX = 0, icon_.anchorY = 0.5f;
  icon_.offsetX = 4;
  const float lineHeight = Text::lineHeight(*context);
  label_->relX = withIcon ? 0.0f : 0.5f;
  label_->relY = 0.5f;
  label_->alignment = withIcon ? Text::Left : Text::Centre;
  label_->offsetX = withIcon ? icon_.width + 8 : 0;
  label_->offsetY = lineHeight / 2;
  label_->layout();
}

void Button::collect(std::vector<UIInstance>& records, bool snap) {
  hovered_ = cursorInside();
  if (clicks_.update(*context, hovered_) && enabled && onClick) onClick();
  Colour background{0, 0, 0, 0};
  if (ticked) background = theme_->ticked;
  if (enabled && hovered_) background = clicks_.armed() ? theme_->pressed : theme_->hover;
  colorBottom = colorTop = background;
  const Colour& tint = enabled ? theme_->icon : theme_->iconDisabled;
  icon_.colorBottom = icon_.colorTop = tint;
  UIElement::collect(records, snap);
  icon_.collect(records, true);
  if (label_) {
    label_->setColor(enabled ? theme_->text : theme_->textDisabled);
    label_->collect(records, true);
  }
}

}  // namespace UI
