#pragma once
// The drop-down of a split button: a panel below it holding one row per
// menu entry that the model offers and shows, as wide as the longest label.
#include <memory>
#include <vector>

#include "ui/RibbonLayout.h"
#include "ui/RibbonLink.h"
#include "ui/SplitButtonItem.h"
#include "ui/UIElement.h"

namespace UI {

class SplitButtonMenu : public UIElement {
 public:
  SplitButtonMenu(UIContext* context, const RibbonLink* link, const std::vector<RibbonMenuEntry>& entries);
  // Rows again for the entries shown now (after a relayout request).
  void arrange();
  const std::vector<std::unique_ptr<SplitButtonItem>>& items() const { return items_; }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

 private:
  const RibbonLink* link_;
  std::vector<std::unique_ptr<SplitButtonItem>> items_;
};

}  // namespace UI
