#pragma once
// A push button that carries a word instead of an icon ("Apply", "Refine"):
// a rounded plate with its label centred, lit under the cursor, darker
// while held; a click runs onClick. A disabled one fades and ignores clicks.
#include <functional>
#include <string>

#include "ui/ClickTracker.h"
#include "ui/Text.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class TextButton : public UIElement {
 public:
  TextButton(UIContext* context, const Theme* theme, std::u16string label = {});

  std::function<void()> onClick;
  bool enabled = true;

  // A new label; the button grows to hold it when it is narrower.
  void setLabel(std::u16string text);
  const Text& label() const { return label_; }
  bool hovered() const { return hovered_; }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kHeight = 22, kPadding = 12;

 private:
  const Theme* theme_;
  Text label_;
  ClickTracker clicks_;
  bool hovered_ = false;
};

}  // namespace UI
