#pragma once
// The saved state file ("setup.bin"): the answers of the questions that
// carry the user's display choices, and four display bytes of the view,
// as one sealed document. Only this library reads it.
//
// Layout: the u32 format number 1, then section 0 (u32 count, then per
// answer a u32 question code and a byte 0 or 1) and section 1 (the four
// bytes), then the checksum. Unknown sections are skipped, so a later
// format can add some.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

namespace formats {

struct SetupState {
  std::map<uint32_t, bool> answers;  // question code -> answer
  std::array<uint8_t, 4> bytes{};
  bool operator==(const SetupState&) const = default;
};

std::vector<uint8_t> encodeSetup(const SetupState& state);
// None for anything that is not a whole file of this layout.
std::optional<SetupState> decodeSetup(std::span<const uint8_t> file);

}  // namespace formats
