#include "ui/DualSlider.h"

#include <algorithm>
#include <cmath>

namespace UI {

DualSlider::DualSlider(UIContext* context, const Theme* theme, double neutral, double secondMark, bool endStop)
    : UIElement(context),
      content_(context, theme, this),
      value_(neutral),
      neutral_(neutral),
      second_(secondMark),
      endStop_(endStop) {
  heightMode = SizeMode::Pixels;
  height = 16;
  content_.parent = this;
  content_.heightMode = SizeMode::Pixels;
  content_.height = 4;
  content_.relY = content_.anchorY = 0.5f;
  for (UIElement* part : {&content_.rightPart(), &content_.leftPart()}) {
    part->widthMode = SizeMode::ParentWidth;
    part->heightMode = SizeMode::ParentHeight;
    part->height = 1;
    part->relY = part->anchorY = 0.5f;
    part->anchorX = 0;
  }
  layout();
}

float DualSlider::lengthPixels() const {
  const float scale = context->contentScaleX > 0 ? context->contentScaleX : 1;
  return getRect().w * context->windowWidth / scale;
}

double DualSlider::snapped(double f) const {
  f = std::clamp(f, 0.0, 1.0);
  if (std::abs(f - neutral_) <= kSnap) return neutral_;
  if (std::abs(f - second_) <= kSnap) return second_;
  if (endStop_) {
    if (std::abs(f - 1.0) <= kSnap) return 1.0;
    const float length = lengthPixels();
    const double stop = length > 0 ? 1.0 - kStopPixels / length : 1.0;
    if (std::abs(f - stop) <= kSnap) return stop;
  }
  return f;
}

void DualSlider::setValue(double v) {
  v = std::clamp(v, 0.0, 1.0);
  if (v == value_) return;
  value_ = v;
  layout();
}

void DualSlider::layout() {
  const float v = static_cast<float>(value_), n = static_cast<float>(neutral_);
  // Above the neutral point the right side is drawn shorter by up to the
  // stop's six pixels (with the end stop), in step with the value.
  const float rise = v > n && n < 1 ? (v - n) / (1 - n) : 0.0f;
  const float shift = endStop_ ? -kStopPixels * rise : 0.0f;
  UIElement& right = content_.rightPart();
  right.visible = v > n;
  right.relX = n;
  right.width = std::max(0.0f, v - n);
  right.addWidth = shift;
  UIElement& left = content_.leftPart();
  left.visible = v < n;
  left.relX = v;
  left.width = std::max(0.0f, n - v);
  content_.dot().relX = v;
  content_.dot().offsetX = shift;
}

void DualSlider::onPressInside() {
  if (!content_.enabled) return;
  onDotDrag();
  content_.dot().startDrag();
}

void DualSlider::onDotDrag() {
  const Rect r = content_.getRect();
  if (r.w <= 0) return;
  const double f = (context->cursorX / context->windowWidth - r.x) / r.w;
  setValue(snapped(f));
}

void DualSlider::wheel(double delta) {
  if (!content_.enabled || delta == 0 || wheeled_) return;
  wheeled_ = true;
  setValue(value_ + delta / 250);
  lastWheel_ = value_;
}

void DualSlider::collect(std::vector<UIInstance>& records, bool snap) {
  wheeled_ = false;
  colorBottom = colorTop = {0, 0, 0, 0};
  UIElement::collect(records, snap);
  content_.collect(records, snap);
  content_.collectDot(records);
}

}  // namespace UI
