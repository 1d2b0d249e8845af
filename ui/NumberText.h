#pragma once
// Numbers as the panels show and read them: "12.500", "-0.250", "1:02:03",
// and the number a field holds.
#include <optional>
#include <string>

namespace UI {

std::u16string formatNumber(double value, int decimals);
std::u16string formatDuration(double seconds);
// The number in a field ("0.25", "-3", "1,5" with a decimal comma, spaces
// ignored), or nothing for any other text.
std::optional<double> parseNumber(const std::u16string& text);

}  // namespace UI
