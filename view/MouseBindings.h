#pragma once
// The mouse-binding table: which navigation action (1..9) a mouse input
// fires for a combination of button state and held modifiers. Rows are the
// inputs (1 left, 2 middle, 3 right button, 4 wheel; row 0 is no input and
// never fires); columns are conditions, masks of state bits (1 pressed,
// 2 held, 4 released; wheel: 1 forward, 4 backward) and modifier bits
// (8 Control, 16 Shift, 32 Alt). Slot value 0 is no action.
#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "korvane/Korvane.h"

namespace view {

enum class ButtonPhase : uint8_t { Up, Pressed, Held, Released };

// What the mouse and keyboard did this frame, as the table looks at it.
struct BindingInput {
  uint8_t modifierMask = 0;                // 8 Control, 16 Shift, 32 Alt
  std::array<ButtonPhase, 3> buttons{};    // left, right, middle (the window's order)
  int wheel = 0;                           // > 0 forward, < 0 backward
};

class MouseBindingTable {
 public:
  static constexpr int kInputs = 5;
  static constexpr int kConditions = 256;
  static constexpr int kActions = 10;
  static constexpr uint8_t kControlBit = 8, kShiftBit = 16, kAltBit = 32;

  MouseBindingTable() { release(); }

  // False when the binding is refused (input or action out of range, or a
  // condition with neither a state bit nor a modifier bit); the table is
  // unchanged then.
  bool add(const SIM_KeyBinding& binding);
  void release();

  // Clears every fired mark, then marks the bound actions that match input.
  // A released button also fires the release bindings that want more
  // modifiers than are held now: a gesture begun with Ctrl ends even when
  // Ctrl was let go first.
  void evaluate(const BindingInput& input);

  bool isBound(int action) const;
  // Every bound slot as the binding that would bind it again.
  std::vector<SIM_KeyBinding> bound() const;
  bool fired(int action) const;

 private:
  static constexpr uint8_t kBoundFlag = 1, kFiredFlag = 2;

  void fire(int row, uint8_t condition);

  mutable std::mutex mutex_;
  std::array<std::array<uint8_t, kConditions>, kInputs> table_{};
  std::array<uint8_t, kActions> actionFlags_{};
};

}  // namespace view
