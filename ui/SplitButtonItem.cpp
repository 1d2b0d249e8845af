#include "ui/SplitButtonItem.h"

namespace UI {

std::u16string RibbonLink::oneLine(uint16_t entry) const {
  std::u16string text = texts && entry < texts->size() ? (*texts)[entry] : std::u16string();
  for (char16_t& c : text)
    if (c == u'\n') c = u' ';
  return text;
}

SplitButtonItem::SplitButtonItem(UIContext* context, const RibbonLink* link, const RibbonMenuEntry& entry)
    : Button(context, link->theme), link_(link), entry_(entry) {
  height = kRowHeight;
  roundness = 0;
  setIcon(entry.radio ? IconId::Radio : IconId::Check, kMarkSize);
  setLabel(link->oneLine(entry.label));
  onClick = [this] {
    if (link_->choose) link_->choose(entry_.action);
  };
}

float SplitButtonItem::labelWidth() const {
  return label()->textWidth();
}

void SplitButtonItem::collect(std::vector<UIInstance>& records, bool snap) {
  enabled = link_->state->enabled(entry_.action);
  // The mark shows the tick; the row itself stays plain.
  icon_.visible = link_->state->ticked(entry_.action);
  ticked = false;
  Button::collect(records, snap);
}

}  // namespace UI
