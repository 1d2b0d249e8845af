#include "ui/UIContext.h"

#include <cmath>

namespace UI {

void UIContext::beginFrame(const FrameInput& input) {
  windowWidth = input.windowWidth > 0 ? input.windowWidth : 1;
  windowHeight = input.windowHeight > 0 ? input.windowHeight : 1;
  moved = input.cursorX != lastCursorX_ || input.cursorY != lastCursorY_;
  lastCursorX_ = input.cursorX;
  lastCursorY_ = input.cursorY;
  cursorX = input.cursorX;
  cursorY = input.cursorY;
  left = nextState(left, input.buttonDown[0]);
  right = nextState(right, input.buttonDown[1]);
  middle = nextState(middle, input.buttonDown[2]);
  for (size_t k = 0; k < modifiers.size(); ++k) modifiers[k] = nextState(modifiers[k], input.modifierDown[k]);
  editKeys = input.editKeys;
  keyboardCaptured = false;
  previousScrollTotal = scrollTotal;
  scrollTotal = input.scrollTotal;
  scrollDelta = scrollTotal - previousScrollTotal;

  // The click gesture: the whole press, not only its end, stays near the
  // place it began.
  const bool near = std::hypot(cursorX - pressX, cursorY - pressY) <= kClickDistance;
  click = false;
  if (left == ButtonState::Pressed) {
    pressX = cursorX;
    pressY = cursorY;
    clickCandidate = true;
  } else if (left == ButtonState::Held) {
    clickCandidate = clickCandidate && near;
  } else if (left == ButtonState::Released) {
    click = clickCandidate && near;
    clickCandidate = false;
  }
}

}  // namespace UI
