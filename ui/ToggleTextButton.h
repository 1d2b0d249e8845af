#pragma once
// A labelled switch. On its own it is a plate that stays lit while on; the
// check box and the radio button draw a box or a ring with a mark before
// the label instead. A click asks the subclass for the next state and
// reports a change through onToggle. A disabled one fades and ignores
// clicks.
#include <functional>
#include <string>

#include "ui/ClickTracker.h"
#include "ui/Icon.h"
#include "ui/Text.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class ToggleTextButton : public UIElement {
 public:
  ToggleTextButton(UIContext* context, const Theme* theme, std::u16string label = {});

  std::function<void(bool on)> onToggle;
  bool on = false;
  bool enabled = true;

  void setLabel(std::u16string text);
  const Text& label() const { return label_; }
  bool hovered() const { return hovered_; }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kHeight = 22, kMarkBox = 14;

 protected:
  enum class Look { Plate, Box, Ring };
  ToggleTextButton(UIContext* context, const Theme* theme, std::u16string label, Look look);
  // The state a click leaves: the opposite one for a switch.
  virtual bool stateAfterClick() const { return !on; }

 private:
  void arrange();

  const Theme* theme_;
  Look look_;
  UIElement box_;  // the check box or ring, empty for a plate
  Icon mark_;
  Text label_;
  ClickTracker clicks_;
  bool hovered_ = false;
};

}  // namespace UI
