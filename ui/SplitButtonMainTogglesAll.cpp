#include "ui/SplitButtonMainTogglesAll.h"

namespace UI {

bool SplitButtonMainTogglesAll::anyTicked() const {
  for (const RibbonMenuEntry& entry : entry_.menu)
    if (link_->state->ticked(entry.action)) return true;
  return false;
}

void SplitButtonMainTogglesAll::runMain() {
  if (!link_->choose) return;
  const bool switchOff = anyTicked();
  for (const RibbonMenuEntry& entry : entry_.menu) {
    const uint32_t action = entry.action;
    if (!link_->state->enabled(action) || link_->state->ticked(action) != switchOff) continue;
    link_->choose(action);
  }
}

void SplitButtonMainTogglesAll::collect(std::vector<UIInstance>& records, bool snap) {
  main_.ticked = anyTicked();
  SplitButton::collect(records, snap);
}

}  // namespace UI
