#include "SettingWords.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <iterator>

namespace host {

namespace {

template <size_t N>
std::optional<uint32_t> indexIn(const std::array<std::string_view, N>& names, std::string_view word) {
  const auto found = std::find(names.begin(), names.end(), word);
  if (found == names.end()) return std::nullopt;
  return static_cast<uint32_t>(found - names.begin());
}

}  // namespace

std::optional<uint32_t> unitNamed(std::string_view word) {
  return indexIn(std::array<std::string_view, 2>{"mm", "inch"}, word);
}

std::optional<uint32_t> themeCommandNamed(std::string_view word) {
  const std::optional<uint32_t> theme = indexIn(std::array<std::string_view, 2>{"light", "dark"}, word);
  if (!theme) return std::nullopt;
  return 23 + *theme;  // SIM_COMMAND_LIGHT_THEME, SIM_COMMAND_DARK_THEME
}

std::optional<uint32_t> sectionNamed(std::string_view word) {
  return indexIn(std::array<std::string_view, 7>{"X-", "X+", "Y-", "Y+", "Z-", "Z+", "none"}, word);
}

std::optional<uint64_t> stopConditionsNamed(std::string_view list) {
  static constexpr std::array<std::string_view, 8> kNames = {"tool",   "operation", "rapid",  "spindle",
                                                             "holder", "machine",   "limits", "optional"};
  if (list == "none") return 0;
  uint64_t bytes = 0;
  while (true) {
    const size_t comma = list.find(',');
    const std::optional<uint32_t> condition = indexIn(kNames, list.substr(0, comma));
    if (!condition) return std::nullopt;
    bytes |= uint64_t{1} << (8 * *condition);
    if (comma == std::string_view::npos) return bytes;
    list.remove_prefix(comma + 1);
  }
}

std::optional<ColourBy> colourByNamed(std::string_view word) {
  const std::optional<uint32_t> by = indexIn(std::array<std::string_view, 3>{"none", "tool", "operation"}, word);
  if (!by) return std::nullopt;
  return static_cast<ColourBy>(*by);
}

std::optional<std::pair<uint32_t, uint32_t>> lineRangeNamed(std::string_view first, std::string_view last) {
  const auto lineOf = [](std::string_view word) -> std::optional<uint32_t> {
    uint32_t line = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), line);
    if (word.empty() || error != std::errc() || end != word.data() + word.size() || line < 1 || line > INT32_MAX)
      return std::nullopt;
    return line;
  };
  const std::optional<uint32_t> a = lineOf(first), b = last.empty() ? a : lineOf(last);
  if (!a || !b || *b < *a) return std::nullopt;
  return std::pair{*a, *b};
}

}  // namespace host
