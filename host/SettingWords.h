#pragma once
// The view settings korvane-view takes by name, on its command line and on
// its console: units, theme, section plane, stop conditions, the
// stock's colouring and the NC code panel's selection. Each gives the view's value, or none for a word it
// does not know.
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace host {

// "mm" 0, "inch" 1 (SIM_SetUnits).
std::optional<uint32_t> unitNamed(std::string_view word);
// "light" or "dark": the command that chooses it.
std::optional<uint32_t> themeCommandNamed(std::string_view word);
// "X-" ... "Z+": planes 0 to 5; "none": 6.
std::optional<uint32_t> sectionNamed(std::string_view word);
// A comma list of tool, operation, rapid, spindle, holder, machine, limits,
// optional (or "none"): the eight stop-condition bytes.
std::optional<uint64_t> stopConditionsNamed(std::string_view list);
enum class ColourBy { Nothing, Tool, Operation };
// "tool", "operation" or "none".
std::optional<ColourBy> colourByNamed(std::string_view word);
// Program lines first to last, whole decimal numbers 1 <= first <= last
// <= 2^31 - 1; an empty last is first.
std::optional<std::pair<uint32_t, uint32_t>> lineRangeNamed(std::string_view first, std::string_view last);

}  // namespace host
