#include "view/MouseBindings.h"

namespace view {
namespace {

constexpr uint8_t stateBit(uint32_t state) { return state <= 2 ? static_cast<uint8_t>(1u << state) : 0; }

constexpr uint8_t phaseBit(ButtonPhase phase) {
  switch (phase) {
    case ButtonPhase::Pressed: return 1;
    case ButtonPhase::Held: return 2;
    case ButtonPhase::Released: return 4;
    case ButtonPhase::Up: return 0;
  }
  return 0;
}

}  // namespace

bool MouseBindingTable::add(const SIM_KeyBinding& binding) {
  if (binding.input >= kInputs || binding.action >= kActions) return false;
  uint8_t mask = stateBit(binding.state);
  if (binding.modifiers[0]) mask |= kControlBit;
  if (binding.modifiers[1]) mask |= kShiftBit;
  if (binding.modifiers[2]) mask |= kAltBit;
  if (mask == 0) return false;
  std::lock_guard lock(mutex_);
  table_[binding.input][mask] = static_cast<uint8_t>(binding.action);
  actionFlags_[binding.action] |= kBoundFlag;
  return true;
}

void MouseBindingTable::release() {
  std::lock_guard lock(mutex_);
  for (auto& row : table_) row.fill(kUnbound);
  actionFlags_.fill(0);
}

void MouseBindingTable::fire(int row, uint8_t mask) {
  const uint8_t action = table_[row][mask];
  if (action != kUnbound) actionFlags_[action] |= kFiredFlag;
}

void MouseBindingTable::evaluate(const BindingInput& input) {
  std::lock_guard lock(mutex_);
  for (uint8_t& flags : actionFlags_) flags &= static_cast<uint8_t>(~kFiredFlag);
  // Row 0 binds a modifier combination on its own, held like a button.
  if (input.modifierMask != 0) fire(0, input.modifierMask | phaseBit(ButtonPhase::Held));
  for (int button = 0; button < 3; ++button) {
    const uint8_t bit = phaseBit(input.buttons[button]);
    if (bit != 0) fire(button + 1, input.modifierMask | bit);
  }
  if (input.wheel != 0) fire(4, input.modifierMask | (input.wheel > 0 ? 1 : 4));
}

bool MouseBindingTable::isBound(int action) const {
  std::lock_guard lock(mutex_);
  return action >= 0 && action < kActions && (actionFlags_[action] & kBoundFlag);
}

bool MouseBindingTable::fired(int action) const {
  std::lock_guard lock(mutex_);
  return action >= 0 && action < kActions && (actionFlags_[action] & kFiredFlag);
}

}  // namespace view
