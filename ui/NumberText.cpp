#include "ui/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <charconv>
#include <string>
#include <system_error>

namespace UI {

namespace {
std::u16string ascii(const char* text) { return std::u16string(text, text + std::char_traits<char>::length(text)); }
}  // namespace

std::u16string formatNumber(double value, int decimals) {
  if (!std::isfinite(value)) return u"-";
  char buffer[64];
  const int places = std::clamp(decimals, 0, 9);
  // No "-0.000".
  if (std::abs(value) < 0.5 * std::pow(10.0, -places)) value = 0;
  std::snprintf(buffer, sizeof buffer, "%.*f", places, value);
  return ascii(buffer);
}

std::u16string formatDuration(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0) seconds = 0;
  seconds = std::min(seconds, 3.6e12);  // a billion hours: beyond any job
  const long long total = std::llround(seconds);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
  return ascii(buffer);
}

std::optional<double> parseNumber(const std::u16string& text) {
  std::string bytes;
  for (char16_t c : text) {
    if (c == u' ') continue;
    if (c > 0x7F) return std::nullopt;
    bytes += c == u',' ? '.' : static_cast<char>(c);  // a decimal comma reads as a point
  }
  // from_chars reads the same whatever the process locale; it takes no '+'.
  const size_t start = !bytes.empty() && bytes[0] == '+' ? 1 : 0;
  if (start == bytes.size() || (start == 1 && bytes[start] == '-')) return std::nullopt;
  double value = 0;
  const char* end = bytes.data() + bytes.size();
  const auto [stop, error] = std::from_chars(bytes.data() + start, end, value);
  if (error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace UI
