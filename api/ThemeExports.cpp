// Exports of the process-wide colour themes.
#include <cstring>

#include "korvane/Korvane.h"
#include "ui/ColourThemes.h"

static_assert(sizeof(SIM_ColorTheme) == sizeof(UI::ThemeRecord));

extern "C" {

SIM_EXPORT int32_t SIM_SetColorTheme(const SIM_ColorTheme* record, int32_t theme) {
  if (!record) return -1;
  UI::ThemeRecord values;
  std::memcpy(values.data(), record, sizeof values);
  UI::themes::set(theme, values);
  return 0;
}

SIM_EXPORT SIM_ColorTheme SIM_GetColorTheme(int32_t theme) {
  SIM_ColorTheme out{};
  if (const std::optional<UI::ThemeRecord> values = UI::themes::record(theme)) std::memcpy(&out, values->data(), sizeof out);
  return out;
}

}  // extern "C"
