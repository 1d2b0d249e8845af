#include "toolpath/ValuePalette.h"

#include <algorithm>
#include <cmath>

namespace toolpath {

void ValuePalette::clear() {
  values_.fill(0.0);
  used_ = 1;
}

uint8_t ValuePalette::slotOf(double value) {
  for (int slot = 1; slot < used_; ++slot)
    if (std::abs(values_[slot] - value) <= 1e-6) return static_cast<uint8_t>(slot);
  if (used_ == kSlots) return 0;  // full: the value is shown as none
  values_[used_] = value;
  return static_cast<uint8_t>(used_++);
}

void PaletteIndexes::build(std::span<const SIM_ValueChange> changes, size_t moveCount) {
  a.clear();
  b.clear();
  perMove.assign(moveCount, 0);
  uint8_t indexA = 0, indexB = 0;
  size_t from = 0;
  auto fillUpTo = [&](size_t end) {
    end = std::min(end, moveCount);
    if (from < end) std::fill(perMove.begin() + from, perMove.begin() + end, uint8_t(indexA << 4 | indexB));
  };
  for (const SIM_ValueChange& change : changes) {
    fillUpTo(change.move);
    from = change.move;
    if (change.kind != 0)
      indexB = b.slotOf(change.value);
    else
      indexA = a.slotOf(change.value);
  }
  fillUpTo(moveCount);

  uint8_t highest = 0, lowest = 0;
  for (uint8_t byte : perMove) {
    highest = std::max<uint8_t>(highest, byte >> 4);
    lowest = std::max<uint8_t>(lowest, byte & 0xF);
  }
  summary = static_cast<uint16_t>(highest << 4 | lowest);
}

}  // namespace toolpath
