#include "ui/ColorPicker.h"

#include <chrono>

namespace UI {

ColorPicker::ColorPicker(UIContext* context, const Theme* theme) : UIElement(context), theme_(theme), swatch_(context) {
  widthMode = heightMode = SizeMode::Pixels;
  width = height = kSize;
  roundness = 0.25f;
  swatch_.parent = this;
  swatch_.offsetX = swatch_.offsetY = 2;
  swatch_.addWidth = swatch_.addHeight = -4;
  swatch_.roundness = 0.2f;
}

void ColorPicker::collect(std::vector<UIInstance>& records, bool snap) {
  const bool hovered = cursorInside();
  if (clicks_.update(*context, hovered) && chooser && !choosing()) pending_ = chooser(colour_);
  if (choosing() && pending_.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
    const std::optional<Colour> chosen = pending_.get();
    pending_ = Answer();
    if (chosen && *chosen != colour_) {
      colour_ = *chosen;
      if (onChange) onChange(colour_);
    }
  }
  const Colour& edge = hovered || choosing() ? theme_->pressed : theme_->separator;
  colorBottom = colorTop = edge;
  UIElement::collect(records, snap);
  swatch_.colorBottom = swatch_.colorTop = {colour_[0], colour_[1], colour_[2], 1};
  swatch_.collect(records, true);
}

}  // namespace UI
