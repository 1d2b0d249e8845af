// Exports of the process-wide interface texts.
#include <string>
#include <utility>
#include <vector>

#include "api/StringSlots.h"
#include "korvane/Korvane.h"
#include "ui/ProcessStrings.h"

namespace {

// A host text up to its terminator, at most this many code units: a longer
// one is cut there (between a pair's halves it keeps the first, which then
// draws as a gap).
constexpr size_t kLongestText = 4096;

std::u16string hostText(const char16_t* text) {
  size_t length = 0;
  while (length < kLongestText && text[length] != 0) ++length;
  return std::u16string(text, length);
}

}  // namespace

extern "C" {

SIM_EXPORT int32_t SIM_Localize(int32_t language) {
  UI::ProcessStrings::instance().localize(language);
  return 0;
}

SIM_EXPORT int32_t SIM_SetStrings(const SIM_StringRecord* record) {
  if (!record) return -1;
  try {
    std::vector<std::pair<size_t, std::u16string>> texts;
    for (size_t slot = 0; slot < SIM_STRING_SLOTS; ++slot) {
      const std::optional<size_t> entry = api::tableEntryOfSlot(slot);
      if (entry && record->text[slot]) texts.emplace_back(*entry, hostText(record->text[slot]));
    }
    UI::ProcessStrings::instance().setHostTexts(std::move(texts));
    return 0;
  } catch (...) {
    return -1;
  }
}

SIM_EXPORT SIM_StringRecord SIM_GetStrings(void) {
  SIM_StringRecord record{};
  const UI::ProcessStrings& strings = UI::ProcessStrings::instance();
  for (size_t slot = 0; slot < SIM_STRING_SLOTS; ++slot) {
    const std::optional<size_t> entry = api::tableEntryOfSlot(slot);
    record.text[slot] = entry ? strings.text(*entry) : api::slotDefault(slot);
  }
  return record;
}

}  // extern "C"
