#pragma once
// A button's state as the interface sees it, one step per frame: Pressed on
// the first frame down, Held after, Released on the first frame up, Idle
// after. A press and release between two frames counts as down for one
// frame, so the interface sees Pressed and then Released, never both at
// once.
#include <cstdint>

namespace UI {

enum class ButtonState : uint32_t { Pressed = 0, Held = 1, Released = 2, Idle = 3 };

constexpr ButtonState nextState(ButtonState state, bool down) {
  if (down) return state == ButtonState::Idle || state == ButtonState::Released ? ButtonState::Pressed : ButtonState::Held;
  return state == ButtonState::Pressed || state == ButtonState::Held ? ButtonState::Released : ButtonState::Idle;
}

}  // namespace UI
