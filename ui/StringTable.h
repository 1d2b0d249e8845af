#pragma once
// The interface's texts: 256 wide strings by index, English by default or
// one of the built-in languages; entries 220-255 are hints ("title\n
// description"), 193 and 250 are reserved (empty).
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace UI {

inline constexpr size_t kStringCount = 256;
using StringTable = std::array<std::u16string, kStringCount>;

// The English texts.
const StringTable& englishStrings();
// The built-in language of a language code: 0 Danish, 1 German, 3 Spanish,
// 4 Finnish, 5 French, 6 Italian, 7 Japanese, 8 Korean, 9 Simplified and
// 10 Traditional Chinese; every other code is English.
const StringTable& builtInStrings(int32_t language);
bool reservedString(size_t index);

}  // namespace UI
