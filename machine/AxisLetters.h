#pragma once
// Axis letters and their codes: A, B, C are 0-2, X, Y, Z 3-5, T, S, U, V, W
// 6-10, the primed A', B', C' 11-13, J and J' 14 and 15. Any other text is
// 17, no letter. A machine files its axes in 32 letter slots; slots 18-31
// take jaws whose letter slot is already used.
#include <cstdint>
#include <string_view>

namespace machine {

constexpr int32_t kNoLetter = 17;
constexpr int32_t kLetterSlots = 32;
constexpr int32_t kFirstSpareSlot = 18;

int32_t letterCode(std::string_view text);
// The plain text of a code ("A'" for 11), empty for no letter.
std::string_view letterText(int32_t code);

// Index of a rotary value among the move's A, B, C values; other letters use 0.
constexpr int32_t rotaryValueIndex(int32_t code) { return code >= 0 && code <= 2 ? code : 0; }

}  // namespace machine
