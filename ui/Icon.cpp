#include "ui/Icon.h"

namespace UI {

Icon::Icon(UIContext* context, IconId icon) : UIElement(context), icon_(icon) {
  drawMode = 3;
  colorBottom = colorTop = {1, 1, 1, 1};
}

void Icon::collect(std::vector<UIInstance>& records, bool snap) {
  texRect = context->icons ? context->icons->rect(static_cast<uint32_t>(icon_)) : IconRect{};
  UIElement::collect(records, snap);
}

}  // namespace UI
