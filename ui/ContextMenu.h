#pragma once
// The viewport's context menu: a column of ribbon entries (jump to cut,
// fit to window, the standard views and the projection) that opens at a
// cursor position, kept inside the window. Choosing an entry runs its
// action and closes the menu; a press or a wheel turn anywhere else closes
// it too, and that press reaches nothing below it.
#include <functional>
#include <memory>
#include <vector>

#include "ui/RibbonLink.h"
#include "ui/SplitButtonMenu.h"
#include "ui/UIElement.h"

namespace UI {

class ContextMenu : public UIElement {
 public:
  ContextMenu(UIContext* context, const RibbonLink* link);

  // Opens with its top left corner at the point (window pixels, origin top
  // left) in a window of the given size, moved left or up where the window
  // ends and kept inside it.
  void open(float x, float y, float windowWidth, float windowHeight);
  void close();
  bool isOpen() const { return visible; }
  // Called whenever the menu closes, however it closed.
  std::function<void()> onClose;
  const SplitButtonMenu& rows() const { return rows_; }

  void onPress() override;
  void onScroll(double delta) override;
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  // The entries, in order: action number, label entry, one of a group.
  static const std::vector<RibbonMenuEntry>& entries();

 private:
  void closeOnPressOutside();

  RibbonLink link_;  // the owner's, choosing then closing
  SplitButtonMenu rows_;
  bool swallowing_ = false;  // the press that closed the menu, until every button is up
};

}  // namespace UI
