#pragma once
// The click rule every clickable element shares: a press inside arms it,
// and the release counts as a click when the cursor is still inside and
// never strayed beyond the click distance in between.
#include "ui/UIContext.h"

namespace UI {

class ClickTracker {
 public:
  // Call once per frame with whether the cursor is over the element; true on
  // the frame of a click.
  bool update(const UIContext& context, bool hovered) {
    if (context.left == ButtonState::Pressed) armed_ = hovered;
    if (context.left != ButtonState::Released) return false;
    const bool clicked = armed_ && hovered && context.click;
    armed_ = false;
    return clicked;
  }
  // Pressed inside and not yet released.
  bool armed() const { return armed_; }

 private:
  bool armed_ = false;
};

}  // namespace UI
