#pragma once
// A round icon button of the playback bar: the icon alone until the cursor
// comes over it, then a lit disc behind it; the bar shows the hint text of
// its string-table entry while it is hovered. A click runs onClick.
#include <cstdint>
#include <functional>

#include "ui/ClickTracker.h"
#include "ui/Icon.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class ControlButton : public UIElement {
 public:
  ControlButton(UIContext* context, const Theme* theme, IconId icon, uint16_t hintEntry);

  std::function<void()> onClick;
  bool enabled = true;

  // Play and Pause share one button that swaps its icon.
  void setIcon(IconId icon) { icon_.setIcon(icon); }
  IconId icon() const { return icon_.icon(); }
  uint16_t hintEntry() const { return hintEntry_; }
  bool hovered() const { return hovered_; }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kSize = 28, kIconSize = 20;

 private:
  const Theme* theme_;
  Icon icon_;
  uint16_t hintEntry_;
  ClickTracker clicks_;
  bool hovered_ = false;
};

}  // namespace UI
