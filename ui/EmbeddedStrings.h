#pragma once
// The built-in languages' interface texts, compiled in from ui/strings.
#include <string_view>

namespace UI {

// 256 UTF-8 texts by table index (null for a reserved index) of the
// language file with that stem ("en", "de", "zh-Hans", ...); null for an
// unknown stem.
const char* const* embeddedLanguage(std::string_view stem);

}  // namespace UI
