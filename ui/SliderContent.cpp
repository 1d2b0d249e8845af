#include "ui/SliderContent.h"

namespace UI {

SliderContent::SliderContent(UIContext* context, const Theme* theme, SliderInterace* owner)
    : UIElement(context), theme_(theme), track_(context), right_(context), left_(context), dot_(context, owner) {
  for (UIElement* part : {&track_, &right_, &left_}) {
    part->parent = this;
    part->drawMode = 1;
    part->roundness = 1;  // the ruler scale in drawing mode 1
  }
  track_.widthMode = SizeMode::ParentWidth;
  track_.heightMode = SizeMode::ParentHeight;
  right_.relX = 1, right_.relY = 0.5f;
  right_.anchorX = 1, right_.anchorY = 0.5f;
  right_.widthMode = right_.heightMode = SizeMode::ParentHeight;
  left_.relY = 0.5f;
  left_.anchorY = 0.5f;
  left_.heightMode = SizeMode::ParentHeight;
  left_.width = 0;
  right_.width = 0;
  dot_.parent = this;
}

void SliderContent::setRulerScale(float scale) {
  for (UIElement* part : {&track_, &right_, &left_}) part->roundness = scale;
}

void SliderContent::collect(std::vector<UIInstance>& records, bool snap) {
  Colour track = enabled ? theme_->sliderTrack : theme_->disabled;
  if (!enabled) track[3] = 0.3f;
  const Colour fill = enabled ? theme_->sliderFill : theme_->disabled;
  track_.colorBottom = track_.colorTop = track;
  right_.colorBottom = right_.colorTop = fill;
  left_.colorBottom = left_.colorTop = fill;
  dot_.colorBottom = dot_.colorTop = enabled ? theme_->sliderDot : theme_->disabled;
  UIElement::collect(records, snap);
  track_.collect(records, snap);
  right_.collect(records, snap);
  left_.collect(records, snap);
}

void SliderContent::collectDot(std::vector<UIInstance>& records) { dot_.collect(records, true); }

}  // namespace UI
