#pragma once
// A ring before a label, one of a set that excludes each other: a click
// switches it on and never off; its owner switches the others off.
#include "ui/ToggleTextButton.h"

namespace UI {

class RadioButton : public ToggleTextButton {
 public:
  RadioButton(UIContext* context, const Theme* theme, std::u16string label = {})
      : ToggleTextButton(context, theme, std::move(label), Look::Ring) {}

 protected:
  bool stateAfterClick() const override { return true; }
};

}  // namespace UI
