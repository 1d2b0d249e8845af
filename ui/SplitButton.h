#pragma once
// A ribbon button in two parts: the main part runs its action (or, without
// one, opens the menu) and shows the action's tick; the narrow arrow part
// opens and closes the menu below. A press anywhere outside the button and
// its open menu closes the menu; choosing an entry leaves it open, so
// several options can be switched in a row.
#include <memory>

#include "ui/Button.h"
#include "ui/RibbonLayout.h"
#include "ui/RibbonLink.h"
#include "ui/SplitButtonMenu.h"
#include "ui/UIElement.h"

namespace UI {

class SplitButton : public UIElement {
 public:
  SplitButton(UIContext* context, const RibbonLink* link, const RibbonButtonEntry& entry);
  ~SplitButton() override;

  bool menuOpen() const { return menu_ && menu_->visible; }
  void setMenuOpen(bool open);
  SplitButtonMenu* menu() { return menu_.get(); }
  Button& main() { return main_; }
  const Button& main() const { return main_; }
  Button* arrow() { return arrow_.get(); }
  const RibbonButtonEntry& entry() const { return entry_; }
  // The hint entry for the part under the cursor; -1 for none.
  int32_t hoveredHint() const;
  // The cursor over the button or its open menu.
  bool holdsCursor() const;
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kSize = 32, kArrowWidth = 12, kIconSize = 22;

 protected:
  // The main part's click.
  virtual void runMain();

  const RibbonLink* link_;
  RibbonButtonEntry entry_;
  Button main_;
  std::unique_ptr<Button> arrow_;
  std::unique_ptr<SplitButtonMenu> menu_;
};

}  // namespace UI
