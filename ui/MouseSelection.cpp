#include "ui/MouseSelection.h"

#include <algorithm>
#include <cmath>

#include "ui/UIContext.h"

namespace UI {

MouseSelection::MouseSelection(UIContext* context, const Theme* theme)
    : UIElement(context), theme_(theme), box_(context) {
  visible = false;
  box_.parent = this;
  box_.visible = false;
}

void MouseSelection::setActive(bool active) {
  if (active == visible) return;
  visible = active;
  dragging_ = false;
  size_ = glm::dvec2(0.0);
}

std::optional<MouseSelection::Corners> MouseSelection::takeFinished() {
  std::optional<Corners> corners = finished_;
  finished_.reset();
  return corners;
}

glm::dvec2 MouseSelection::cursor() const {
  return {context->cursorX / context->windowWidth, 1.0 - context->cursorY / context->windowHeight};
}

void MouseSelection::onPress() {
  if (!cursorInside()) return;
  dragging_ = true;
  origin_ = cursor();
  size_ = glm::dvec2(0.0);
}

void MouseSelection::onHold() {
  if (dragging_ && cursorInside()) size_ = cursor() - origin_;
}

void MouseSelection::onRelease() {
  if (!dragging_) return;
  dragging_ = false;
  if (cursorInside()) size_ = cursor() - origin_;
  const glm::dvec2 end = origin_ + size_;
  // A click draws no rectangle.
  const double pixelsX = std::abs(size_.x) * context->windowWidth, pixelsY = std::abs(size_.y) * context->windowHeight;
  if (pixelsX > kClickPixels || pixelsY > kClickPixels)
    finished_ = Corners{{std::min(origin_.x, end.x), std::max(origin_.y, end.y)},
                        {std::max(origin_.x, end.x), std::min(origin_.y, end.y)}};
  size_ = glm::dvec2(0.0);
}

void MouseSelection::collect(std::vector<UIInstance>& records, bool snap) {
  if (!visible) return;
  dispatch();
  // The rectangle, translucent, while it is drawn.
  box_.visible = dragging_ && (size_.x != 0 || size_.y != 0);
  if (!box_.visible) return;
  box_.widthMode = box_.heightMode = SizeMode::ParentWidth;
  box_.relX = static_cast<float>(std::min(origin_.x, origin_.x + size_.x));
  box_.relY = static_cast<float>(std::min(origin_.y, origin_.y + size_.y));
  box_.width = static_cast<float>(std::abs(size_.x));
  box_.heightMode = SizeMode::ParentHeight;
  box_.height = static_cast<float>(std::abs(size_.y));
  box_.colorBottom = box_.colorTop = theme_->selection;
  box_.collect(records, snap);
}

}  // namespace UI
