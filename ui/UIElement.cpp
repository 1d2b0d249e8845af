#include "ui/UIElement.h"

#include <cmath>

namespace UI {

Rect UIElement::getRect() const {
  const float W = context->windowWidth, H = context->windowHeight;
  const float sx = context->contentScaleX, sy = context->contentScaleY;
  const Rect p = parent ? parent->getRect() : Rect{0, 0, 1, 1};
  Rect r;
  r.x = p.x + p.w * relX + offsetX * sx / W;
  r.y = p.y + p.h * relY + offsetY * sy / H;
  switch (widthMode) {
    case SizeMode::ParentWidth: r.w = p.w * width; break;
    case SizeMode::ParentHeight: r.w = H / W * p.h * width; break;
    case SizeMode::Pixels: r.w = sx * width / W; break;
  }
  r.w += addWidth * sx / W;
  switch (heightMode) {
    case SizeMode::ParentWidth: r.h = W / H * p.w * height; break;
    case SizeMode::ParentHeight: r.h = p.h * height; break;
    case SizeMode::Pixels: r.h = sy * height / H; break;
  }
  r.h += addHeight * sy / H;
  r.x -= r.w * anchorX;
  r.y -= r.h * anchorY;

  // Whole pixels: the corner always; the far edges too unless the element
  // is a thin line, which keeps its exact height.
  const float left = std::round(r.x * W), bottom = std::round(r.y * H);
  if (r.h * H > 3.0f) {
    r.w = (std::round((r.x + r.w) * W) - left) / W;
    r.h = (std::round((r.y + r.h) * H) - bottom) / H;
  }
  r.x = left / W;
  r.y = bottom / H;
  return r;
}

bool UIElement::shown() const {
  for (const UIElement* e = this; e; e = e->parent)
    if (!e->visible) return false;
  return true;
}

float UIElement::shownOpacity() const {
  float product = 1;
  for (const UIElement* e = this; e; e = e->parent) product *= e->opacity;
  return product;
}

bool UIElement::hitTest(float px, float py) const {
  if (!shown()) return false;
  const Rect r = getRect();
  return r.x <= px && px < r.x + r.w && r.y <= py && py < r.y + r.h;
}

bool UIElement::cursorInside() const {
  if (context->cursorX < 0 && context->cursorY < 0) return false;
  // The cursor names a pixel; its centre is what lies inside or not.
  return hitTest((context->cursorX + 0.5f) / context->windowWidth,
                 1.0f - (context->cursorY + 0.5f) / context->windowHeight);
}

void UIElement::setAnchor(float x, float y, bool keepPlace) {
  if (keepPlace) {
    // The anchor point moves within the rectangle; the position follows
    // it by the same fraction of the size, in the parent's units.
    const Rect r = getRect();
    const Rect p = parent ? parent->getRect() : Rect{0, 0, 1, 1};
    if (p.w > 0) relX += (x - anchorX) * r.w / p.w;
    if (p.h > 0) relY += (y - anchorY) * r.h / p.h;
  }
  anchorX = x;
  anchorY = y;
}

void UIElement::dispatch() {
  const bool inside = cursorInside();
  switch (context->left) {
    case ButtonState::Pressed:
      onPress();
      if (inside) onPressInside();
      break;
    case ButtonState::Held:
      onHold();
      if (inside) onHoldInside();
      break;
    case ButtonState::Released:
      onRelease();
      if (inside) onReleaseInside();
      break;
    case ButtonState::Idle: break;
  }
  if (context->scrollDelta != 0) {
    onScroll(context->scrollDelta);
    if (inside) onScrollInside(context->scrollDelta);
  }
}

UIInstance UIElement::record(bool snap) const {
  UIInstance r{};
  Rect rect = getRect();
  if (snap) {
    const float W = context->windowWidth, H = context->windowHeight;
    rect = {std::round(rect.x * W) / W, std::round(rect.y * H) / H, std::round(rect.w * W) / W,
            std::round(rect.h * H) / H};
  }
  r.x = rect.x;
  r.y = rect.y;
  r.colorBottom = colorBottom;
  r.colorTop = colorTop;
  const float fade = shownOpacity();
  r.colorBottom[3] *= fade;
  r.colorTop[3] *= fade;
  r.roundness = roundness;
  r.mode = drawMode == 3 ? 3.0f + drawModeExtra : static_cast<float>(drawMode);
  r.texRect = texRect;
  if (shown()) {
    r.w = rect.w;
    r.h = rect.h;
  } else {
    r.colorBottom[3] = r.colorTop[3] = 0;
  }
  return r;
}

void UIElement::collect(std::vector<UIInstance>& records, bool snap) {
  dispatch();
  records.push_back(record(snap));
}

}  // namespace UI
