#pragma once
// One icon of the icon atlas, tinted by the element's colours. The
// rectangle is read from the loaded atlas each frame, so a DPI change that
// loads another variant needs nothing from the icon.
#include <cstdint>

#include "ui/Icons.h"
#include "ui/UIElement.h"

namespace UI {

class Icon : public UIElement {
 public:
  explicit Icon(UIContext* context, IconId icon = IconId::Empty);
  void setIcon(IconId icon) { icon_ = icon; }
  IconId icon() const { return icon_; }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

 private:
  IconId icon_;
};

}  // namespace UI
