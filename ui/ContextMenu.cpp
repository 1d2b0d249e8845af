#include "ui/ContextMenu.h"

#include <algorithm>

namespace UI {

const std::vector<RibbonMenuEntry>& ContextMenu::entries() {
  static const std::vector<RibbonMenuEntry> list = {
      {69, 128, false},  // "Jump to cut", enabled over a toolpath point
      {11, 129, false},  // "Fit to window"
      {44, 130, false},  // "Top"
      {48, 134, false},  // "Front"
      {47, 133, false},  // "Right"
      {50, 136, false},  // "From tool"
      {52, 138, true},   // "Orthographic"
      {53, 139, true},   // "Perspective"
  };
  return list;
}

namespace {
RibbonLink closingLink(const RibbonLink& owner, ContextMenu* menu) {
  RibbonLink link = owner;
  link.choose = [choose = owner.choose, menu](uint32_t action) {
    menu->close();
    if (choose) choose(action);
  };
  return link;
}
}  // namespace

ContextMenu::ContextMenu(UIContext* context, const RibbonLink* link)
    : UIElement(context), link_(closingLink(*link, this)), rows_(context, &link_, entries()) {
  widthMode = heightMode = SizeMode::Pixels;
  visible = false;
  rows_.parent = this;
  rows_.visible = true;
  rows_.relX = 0, rows_.relY = 1;
  rows_.anchorX = 0, rows_.anchorY = 1;
}

void ContextMenu::open(float cursorX, float cursorY, float windowWidth, float windowHeight) {
  rows_.arrange();
  width = rows_.width;
  height = rows_.height;
  const float scaleX = context->contentScaleX > 0 ? context->contentScaleX : 1;
  const float scaleY = context->contentScaleY > 0 ? context->contentScaleY : 1;
  const float w = width * scaleX, h = height * scaleY;
  const float W = std::max(windowWidth, 1.0f), H = std::max(windowHeight, 1.0f);
  cursorX = std::clamp(cursorX, 0.0f, W);
  cursorY = std::clamp(cursorY, 0.0f, H);
  // Flip to the other side of the cursor where the menu would leave the window.
  const float left = cursorX + w <= W ? cursorX : std::max(0.0f, cursorX - w);
  const float top = cursorY + h <= H ? cursorY : std::max(0.0f, cursorY - h);
  relX = left / W;
  relY = 1 - top / H;
  anchorX = 0, anchorY = 1;
  offsetX = offsetY = 0;
  visible = true;
}

void ContextMenu::close() {
  if (!visible) return;
  visible = false;
  if (onClose) onClose();
}

void ContextMenu::closeOnPressOutside() {
  if (!visible || cursorInside()) return;
  close();
  swallowing_ = true;
}

void ContextMenu::onPress() { closeOnPressOutside(); }

void ContextMenu::onScroll(double /*delta*/) {
  if (visible && !cursorInside()) close();
}

void ContextMenu::collect(std::vector<UIInstance>& records, bool snap) {
  // The other buttons close it as the left one does.
  if (context->right == ButtonState::Pressed || context->middle == ButtonState::Pressed) closeOnPressOutside();
  const bool holds = visible && cursorInside();
  UIElement::collect(records, snap);
  rows_.collect(records, true);
  if (holds || swallowing_) context->takeCursor();
  auto up = [](ButtonState s) { return s == ButtonState::Released || s == ButtonState::Idle; };
  if (up(context->left) && up(context->right) && up(context->middle)) swallowing_ = false;
}

}  // namespace UI
