#pragma once
// Events at moves (stops, coolant, messages), filed by category bit and by
// the hash of their name.
#include <array>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

#include "korvane/Korvane.h"

namespace toolpath {

struct MoveEvent {
  uint32_t move = 0;
  std::array<uint8_t, 64> payload{};
};

class MoveEvents {
 public:
  static constexpr int kCategories = 4;

  void load(std::span<const SIM_MoveEvent> events);
  void clear();

  std::span<const MoveEvent> ofCategory(int category) const;
  std::span<const MoveEvent> named(uint64_t nameHash) const;
  // Move index of every event, each index once per run of equal indexes.
  std::span<const uint32_t> moves() const { return moves_; }

 private:
  std::array<std::vector<MoveEvent>, kCategories> byCategory_;
  std::unordered_map<uint64_t, std::vector<MoveEvent>> byName_;
  std::vector<uint32_t> moves_;
};

}  // namespace toolpath
