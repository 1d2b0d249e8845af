#pragma once
// A clickable rectangle with an optional icon and label. It lights up under
// the cursor, darkens while held, shows its ticked state, and runs onClick
// on a click: pressed and released inside, the cursor never straying more
// than the click distance. A disabled button draws faded and ignores
// clicks.
#include <functional>
#include <memory>
#include <string>

#include "ui/ClickTracker.h"
#include "ui/Icon.h"
#include "ui/Text.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class Button : public UIElement {
 public:
  Button(UIContext* context, const Theme* theme, IconId icon = IconId::Empty);

  std::function<void()> onClick;
  bool enabled = true;
  bool ticked = false;

  void setIcon(IconId icon, float sizePixels);
  // The label, left of centre after the icon (or centred without one).
  void setLabel(std::u16string text);
  const Text* label() const { return label_.get(); }
  Icon& icon() { return icon_; }
  bool hovered() const { return hovered_; }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

 protected:
  // Places the icon and label inside the button's current size.
  void arrange();

  const Theme* theme_;
  Icon icon_;
  std::unique_ptr<Text> label_;
  ClickTracker clicks_;
  bool hovered_ = false;  // the cursor over it this frame
};

}  // namespace UI
