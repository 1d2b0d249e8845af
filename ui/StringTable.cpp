#include "ui/StringTable.h"

#include <string_view>

#include "common/Utf16.h"
#include "ui/EmbeddedStrings.h"

namespace UI {

namespace {

// A language without a file of its own reads English.
StringTable tableOf(std::string_view stem) {
  StringTable table;
  const char* const* texts = embeddedLanguage(stem);
  if (!texts) texts = embeddedLanguage("en");
  for (size_t i = 0; texts && i < kStringCount; ++i)
    if (texts[i]) table[i] = common::utf16FromUtf8(texts[i]);
  return table;
}

// The file stems of language codes 0 to 10; code 2 is English.
constexpr std::string_view kStems[] = {"da", "de", "en", "es", "fi", "fr", "it", "ja", "ko", "zh-Hans", "zh-Hant"};
constexpr int32_t kLanguages = static_cast<int32_t>(std::size(kStems));

}  // namespace

const StringTable& englishStrings() { return builtInStrings(2); }

const StringTable& builtInStrings(int32_t language) {
  // Built once, on first use; the tables are never changed afterwards.
  static const std::array<StringTable, kLanguages> tables = [] {
    std::array<StringTable, kLanguages> all;
    for (int32_t code = 0; code < kLanguages; ++code) all[code] = tableOf(kStems[code]);
    return all;
  }();
  return tables[language >= 0 && language < kLanguages ? language : 2];
}

bool reservedString(size_t index) { return index == 193 || index == 250; }

}  // namespace UI
