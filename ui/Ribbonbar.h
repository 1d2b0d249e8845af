#pragma once
// The ribbon bar: a row of split buttons centred at the top of the window,
// grouped by separators, with their menus and a hover hint below. It is the
// first element of each frame's walk: while the cursor is over the bar, an
// open menu or the hint, later elements do not see it. It draws the
// ribbon model (RibbonState) and changes it only through the link's
// choose, so an entry does what its command does.
#include <memory>
#include <vector>

#include "ui/RibbonLink.h"
#include "ui/SplitButton.h"
#include "ui/Text.h"
#include "ui/UIElement.h"

namespace UI {

class Ribbonbar : public UIElement {
 public:
  Ribbonbar(UIContext* context, RibbonLink link);
  ~Ribbonbar() override;

  // Labels and hints read again (the string table changed).
  void setTexts(const StringTable* texts);
  const std::vector<std::unique_ptr<SplitButton>>& buttons() const { return buttons_; }
  // The button whose main part runs this action, or null.
  SplitButton* buttonOf(uint32_t action);
  // The button whose main part flips an interface switch.
  SplitButton* buttonOf(InterfaceToggle toggle);
  // Closes every open menu (an entry whose work continues in the scene).
  void closeMenus();
  // The hint shown now: its string-table entry, or -1.
  int32_t shownHint() const { return shownHint_; }
  // Takes input with the rest of the bar, but its menus and hint are
  // drawn over every other panel: the walk appends them last.
  void collect(std::vector<UIInstance>& records, bool snap = false) override;
  void appendOverlay(std::vector<UIInstance>& records) const;

 private:
  void build();
  void showHint(int32_t entry, const SplitButton* under);

  RibbonLink link_;
  std::vector<std::unique_ptr<SplitButton>> buttons_;
  std::vector<std::unique_ptr<UIElement>> separators_;
  UIElement hintBox_;
  Text hintTitle_, hintDescription_;
  int32_t shownHint_ = -1;
  std::vector<UIInstance> overlay_;  // menus and hint of this frame
  // A press that closed a menu is the bar's until it is released: it does
  // not reach what lies below.
  bool swallowingPress_ = false;
};

}  // namespace UI
