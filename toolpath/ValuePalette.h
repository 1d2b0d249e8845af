#pragma once
// Two small palettes of per-move values (16 slots each, slot 0 meaning none)
// and one byte per move holding both palette indexes: palette A in the high
// nibble, palette B in the low nibble.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "korvane/Korvane.h"

namespace toolpath {

class ValuePalette {
 public:
  static constexpr int kSlots = 16;
  ValuePalette() { clear(); }
  void clear();
  // The slot of value: a used slot within 1e-6, else the next free slot, else 0.
  uint8_t slotOf(double value);
  double value(uint8_t slot) const { return slot < kSlots ? values_[slot] : 0.0; }
  int usedSlots() const { return used_; }

 private:
  std::array<double, kSlots> values_{};
  int used_ = 1;
};

struct PaletteIndexes {
  ValuePalette a, b;
  std::vector<uint8_t> perMove;  // (A index << 4) | B index
  uint16_t summary = 0;          // (largest A index << 4) | largest B index

  // Rebuilds everything from the host's change list (entries in move order).
  void build(std::span<const SIM_ValueChange> changes, size_t moveCount);
};

}  // namespace toolpath
