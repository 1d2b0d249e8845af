#pragma once
// What the ribbon's buttons share: the model they read their ticks and
// enabled states from, the texts and colours they show, and the way an
// entry runs its action (the view's, the same change a command makes).
#include <cstdint>
#include <functional>
#include <string>

#include "ui/RibbonLayout.h"
#include "ui/RibbonState.h"
#include "ui/StringTable.h"
#include "ui/Theme.h"

namespace UI {

struct RibbonLink {
  RibbonState* state = nullptr;
  const StringTable* texts = nullptr;
  const Theme* theme = nullptr;
  std::function<void(uint32_t action)> choose;
  // The interface's own switches: flip one, and whether it is on.
  std::function<void(InterfaceToggle)> toggle{};
  std::function<bool(InterfaceToggle)> toggled{};

  // A table text on one line (menu rows and button labels).
  std::u16string oneLine(uint16_t entry) const;
  bool isOn(InterfaceToggle which) const { return which != InterfaceToggle::Nothing && toggled && toggled(which); }
};

}  // namespace UI
