#include "ui/AxisSlider.h"

#include <algorithm>

#include "ui/NumberText.h"

namespace UI {

AxisSlider::AxisSlider(UIContext* context, const Theme* theme)
    : UIElement(context), label_(context), value_(context), slider_(context, theme) {
  widthMode = SizeMode::ParentWidth;
  heightMode = SizeMode::Pixels;
  height = kHeight;
  label_.hangFrom(this, 0, 1);
  value_.hangFrom(this, 1, 1);
  value_.alignment = Text::Right;
  slider_.parent = this;
  slider_.zoomable = false;
  slider_.widthMode = SizeMode::ParentWidth;
  slider_.relY = slider_.anchorY = 0.5f;
  slider_.offsetX = kLabelWidth;
  slider_.addWidth = -(kLabelWidth + kValueWidth + 8);
  label_.setColor(theme->text);
  value_.setColor(theme->text);
}

void AxisSlider::show(const AxisValues& v) {
  if (v.label != values_.label) label_.setText(v.label);
  const std::u16string text = formatNumber(v.value, v.decimals) + u" " + v.unit;
  if (text != value_.text()) value_.setText(text);
  values_ = v;
  if (slider_.dot().dragging()) return;
  const double span = v.max - v.min;
  const double fraction = span > 0 ? std::clamp((v.value - v.min) / span, 0.0, 1.0) : 0.0;
  slider_.setValue(fraction);
  shownFraction_ = slider_.value();
}

std::optional<double> AxisSlider::takeMoved() {
  const double now = slider_.value();
  if (shownFraction_ < 0 || now == shownFraction_) return std::nullopt;
  shownFraction_ = now;
  return values_.min + now * (values_.max - values_.min);
}

void AxisSlider::collect(std::vector<UIInstance>& records, bool snap) {
  UIElement::collect(records, snap);
  label_.collect(records, true);
  value_.collect(records, true);
  slider_.collect(records, snap);
}

}  // namespace UI
