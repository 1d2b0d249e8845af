#pragma once
// One row of a split button's menu: a check mark (or a dot for entries of
// a group that excludes each other) when its action is ticked, its label,
// greyed out while the action is disabled. A click runs the action.
#include "ui/Button.h"
#include "ui/RibbonLayout.h"
#include "ui/RibbonLink.h"

namespace UI {

class SplitButtonItem : public Button {
 public:
  SplitButtonItem(UIContext* context, const RibbonLink* link, const RibbonMenuEntry& entry);
  uint32_t action() const { return entry_.action; }
  // Width the label needs, logical pixels.
  float labelWidth() const;
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kRowHeight = 22, kMarkSize = 14;

 private:
  const RibbonLink* link_;
  RibbonMenuEntry entry_;
};

}  // namespace UI
