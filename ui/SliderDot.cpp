#include "ui/SliderDot.h"

namespace UI {

SliderDot::SliderDot(UIContext* context, SliderInterace* owner) : UIElement(context), owner_(owner) {
  widthMode = heightMode = SizeMode::Pixels;
  width = height = kRest;
  anchorX = anchorY = 0.5f;
  relY = 0.5f;
  roundness = 1;
}

void SliderDot::startDrag() {
  dragging_ = true;
  width = height = kDragged;
}

void SliderDot::onHold() {
  if (dragging_) owner_->onDotDrag();
}

void SliderDot::onRelease() {
  // The cursor may have moved on in the frame the button went up: the
  // value follows it there first.
  if (dragging_) owner_->onDotDrag();
  dragging_ = false;
  width = height = kRest;
}

}  // namespace UI
