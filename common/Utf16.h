#pragma once
// UTF-8 text from the host to the wide (UTF-16) text the view keeps, and
// back for what leaves the view (dialog titles).
#include <string>
#include <string_view>

namespace common {

// Malformed sequences become U+FFFD, one per offending byte.
std::u16string utf16FromUtf8(std::string_view text);
// An unpaired surrogate becomes U+FFFD.
std::string utf8FromUtf16(std::u16string_view text);

}  // namespace common
