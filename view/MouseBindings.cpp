#include "view/MouseBindings.h"

namespace view {
namespace {

// The record's states 0 pressed, 1 held, 2 released as condition bits.
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

constexpr uint8_t kReleasedBit = 4;
// The input's buttons in the window's order (left, right, middle) as rows.
constexpr int kRowOfButton[3] = {1, 3, 2};
constexpr int kWheelRow = 4;

}  // namespace

bool MouseBindingTable::add(const SIM_KeyBinding& binding) {
  if (binding.input >= kInputs || binding.action >= kActions) return false;
  uint8_t condition = stateBit(binding.state);
  if (binding.modifiers[0]) condition |= kControlBit;
  if (binding.modifiers[1]) condition |= kShiftBit;
  if (binding.modifiers[2]) condition |= kAltBit;
  if (condition == 0) return false;
  std::lock_guard lock(mutex_);
  table_[binding.input][condition] = static_cast<uint8_t>(binding.action);
  // A slot given another action may leave its old one bound nowhere: that
  // one gets its built-in trigger back.
  for (uint8_t& flags : actionFlags_) flags &= static_cast<uint8_t>(~kBoundFlag);
  for (const auto& row : table_)
    for (uint8_t action : row)
      if (action != 0) actionFlags_[action] |= kBoundFlag;
  return true;
}

std::vector<SIM_KeyBinding> MouseBindingTable::bound() const {
  std::lock_guard lock(mutex_);
  std::vector<SIM_KeyBinding> out;
  for (int input = 0; input < kInputs; ++input)
    for (int condition = 0; condition < kConditions; ++condition) {
      const uint8_t action = table_[input][condition];
      if (action == 0) continue;
      SIM_KeyBinding b{};
      b.input = static_cast<uint32_t>(input);
      const int state = condition & 7;
      b.state = state == 1 ? 0 : state == 2 ? 1 : state == 4 ? 2 : 3;  // 3: modifiers alone
      b.modifiers[0] = (condition & kControlBit) ? 1 : 0;
      b.modifiers[1] = (condition & kShiftBit) ? 1 : 0;
      b.modifiers[2] = (condition & kAltBit) ? 1 : 0;
      b.action = action;
      out.push_back(b);
    }
  return out;
}

void MouseBindingTable::release() {
  std::lock_guard lock(mutex_);
  for (auto& row : table_) row.fill(0);
  actionFlags_.fill(0);
}

void MouseBindingTable::fire(int row, uint8_t condition) {
  const uint8_t action = table_[row][condition];
  if (action != 0) actionFlags_[action] |= kFiredFlag;
}

void MouseBindingTable::evaluate(const BindingInput& input) {
  std::lock_guard lock(mutex_);
  for (uint8_t& flags : actionFlags_) flags &= static_cast<uint8_t>(~kFiredFlag);
  const uint8_t held = input.modifierMask;
  for (int button = 0; button < 3; ++button) {
    const uint8_t bit = phaseBit(input.buttons[button]);
    if (bit == 0) continue;
    const int row = kRowOfButton[button];
    if (bit != kReleasedBit) {
      fire(row, held | bit);
      continue;
    }
    // Every combination of the modifiers held now and any not held.
    for (uint8_t extra = 0; extra < 8; ++extra) {
      const uint8_t added = static_cast<uint8_t>(extra * kControlBit);
      if ((added & held) == 0) fire(row, held | added | bit);
    }
  }
  if (input.wheel != 0) fire(kWheelRow, held | (input.wheel > 0 ? 1 : 4));
}

bool MouseBindingTable::isBound(int action) const {
  std::lock_guard lock(mutex_);
  return action > 0 && action < kActions && (actionFlags_[action] & kBoundFlag);
}

bool MouseBindingTable::fired(int action) const {
  std::lock_guard lock(mutex_);
  return action > 0 && action < kActions && (actionFlags_[action] & kFiredFlag);
}

}  // namespace view
