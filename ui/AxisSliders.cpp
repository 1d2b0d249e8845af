#include "ui/AxisSliders.h"

#include <algorithm>

namespace UI {

AxisSliders::AxisSliders(UIContext* context, const Theme* theme) : UIElement(context), theme_(theme) {
  widthMode = heightMode = SizeMode::Pixels;
  width = kWidth;
  roundness = 0.08f;
  for (size_t i = 0; i < kMaxRows; ++i) {
    rows_[i] = std::make_unique<AxisSlider>(context, theme);
    AxisSlider& row = *rows_[i];
    row.parent = this;
    row.relX = 0, row.relY = 1;
    row.anchorX = 0, row.anchorY = 0.5f;  // the row's line at its offset
    row.offsetX = kPadding;
    row.addWidth = -2 * kPadding;
    row.offsetY = -(kFirstRow + kRowStep * static_cast<float>(i));
  }
  show({});
}

void AxisSliders::show(const std::vector<AxisValues>& axes) {
  shownRows_ = std::min(axes.size(), kMaxRows);
  for (size_t i = 0; i < kMaxRows; ++i) {
    rows_[i]->visible = i < shownRows_;
    if (i < shownRows_) rows_[i]->show(axes[i]);
  }
  const float last = kFirstRow + kRowStep * static_cast<float>(std::max<size_t>(shownRows_, 1) - 1);
  height = last + kBelowLast;
}

void AxisSliders::collect(std::vector<UIInstance>& records, bool snap) {
  if (!visible) return;
  colorBottom = theme_->panel;
  colorTop = theme_->panelEdge;
  UIElement::collect(records, snap);
  for (size_t i = 0; i < shownRows_; ++i) {
    rows_[i]->collect(records, true);
    if (const std::optional<double> moved = rows_[i]->takeMoved(); moved && onMove) onMove(i, *moved);
  }
  // The panel is the interface's: the scene below does not take the cursor.
  if (cursorInside()) context->takeCursor();
}

}  // namespace UI
