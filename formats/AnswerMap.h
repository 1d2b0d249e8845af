#pragma once
// A map of question codes to yes/no answers as the saved state file and the
// simulation file both store it: a u32 count, then per answer a u32 code and
// a byte 0 or 1, codes in increasing order.
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

namespace formats {

void appendAnswerMap(std::vector<uint8_t>& out, const std::map<uint32_t, bool>& answers);
// None when the count does not match the bytes, an answer is not 0 or 1,
// or a code comes twice.
std::optional<std::map<uint32_t, bool>> answerMapOf(std::span<const uint8_t> payload);

}  // namespace formats
