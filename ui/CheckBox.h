#pragma once
// A box before a label, ticked while on; each click flips it.
#include "ui/ToggleTextButton.h"

namespace UI {

class CheckBox : public ToggleTextButton {
 public:
  CheckBox(UIContext* context, const Theme* theme, std::u16string label = {})
      : ToggleTextButton(context, theme, std::move(label), Look::Box) {}
};

}  // namespace UI
