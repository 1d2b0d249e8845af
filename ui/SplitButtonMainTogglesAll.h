#pragma once
// A split button whose main part switches every entry of its menu at once:
// all off when any is on, otherwise all on. It shows ticked while any
// entry is.
#include "ui/SplitButton.h"

namespace UI {

class SplitButtonMainTogglesAll : public SplitButton {
 public:
  using SplitButton::SplitButton;
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

 protected:
  void runMain() override;

 private:
  bool anyTicked() const;
};

}  // namespace UI
