#include "ui/RibbonState.h"

namespace UI {

RibbonState::RibbonState() {
  // The bar's entries: fit to window, the stop conditions, the toolpath
  // display and animation menus, views, stock and colour entries, the
  // compare, panels, the machine and the box modes.
  auto offer = [this](uint32_t from, uint32_t to) {
    for (uint32_t action = from; action <= to; ++action) entries_[action].present = 1;
  };
  offer(11, 19);
  offer(20, 58);
  offer(65, 92);
  // Ticked from the start: the toolpath, rapid and cutting moves, the tool
  // and its holder, the stock.
  for (uint32_t action : {20u, 22u, 23u, 42u, 43u, 54u}) entries_[action].ticked = 1;
}

void RibbonState::check(uint32_t action, bool ticked) {
  if (!present(action)) return;
  entries_[action].ticked = ticked ? 1 : 0;
  requestRelayout();
}

void RibbonState::setEnabled(uint32_t action, bool enabled) {
  if (!present(action)) return;
  entries_[action].enabled = enabled ? 1 : 0;
  requestRelayout();
}

}  // namespace UI
