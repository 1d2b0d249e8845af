#include "ui/SplitButtonMenu.h"

#include <algorithm>

namespace UI {

namespace {
constexpr float kPadding = 4;
}

SplitButtonMenu::SplitButtonMenu(UIContext* context, const RibbonLink* link,
                                 const std::vector<RibbonMenuEntry>& entries)
    : UIElement(context), link_(link) {
  widthMode = heightMode = SizeMode::Pixels;
  roundness = 0.1f;
  visible = false;
  for (const RibbonMenuEntry& entry : entries) {
    items_.push_back(std::make_unique<SplitButtonItem>(context, link, entry));
    items_.back()->parent = this;
  }
  arrange();
}

void SplitButtonMenu::arrange() {
  float widest = 0;
  for (const auto& item : items_) widest = std::max(widest, item->labelWidth());
  const float rowWidth = widest + SplitButtonItem::kMarkSize + 24;
  float y = kPadding;
  for (const auto& item : items_) {
    item->visible = link_->state->shownInMenu(item->action());
    if (!item->visible) continue;
    item->width = rowWidth;
    item->relX = 0, item->relY = 1;
    item->anchorX = 0, item->anchorY = 1;
    item->offsetX = kPadding;
    item->offsetY = -y;
    y += SplitButtonItem::kRowHeight;
  }
  width = rowWidth + 2 * kPadding;
  height = y + kPadding;
}

void SplitButtonMenu::collect(std::vector<UIInstance>& records, bool snap) {
  colorBottom = link_->theme->panel;
  colorTop = link_->theme->panelEdge;
  UIElement::collect(records, snap);
  // Closed, the rows emit empty records and take no clicks.
  for (const auto& item : items_) item->collect(records, true);
}

}  // namespace UI
