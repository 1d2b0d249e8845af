#include "machine/AxisLetters.h"

#include <array>
#include <utility>

namespace machine {
namespace {

constexpr std::array<std::pair<std::string_view, int32_t>, 20> kLetters{{
    {"A", 0},  {"B", 1},  {"C", 2},  {"X", 3},   {"Y", 4},   {"Z", 5},   {"T", 6},   {"S", 7},
    {"U", 8},  {"V", 9},  {"W", 10}, {"A'", 11}, {"A2", 11}, {"B'", 12}, {"B2", 12}, {"C'", 13},
    {"C2", 13}, {"J", 14}, {"J'", 15}, {"J2", 15},
}};

}  // namespace

int32_t letterCode(std::string_view text) {
  if (text.empty()) return kNoLetter;
  for (const auto& [name, code] : kLetters)
    if (name == text) return code;
  return kNoLetter;
}

std::string_view letterText(int32_t code) {
  for (const auto& [name, letter] : kLetters)
    if (letter == code) return name;
  return {};
}

}  // namespace machine
