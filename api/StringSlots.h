#pragma once
// The host's 176 text slots: which table entry each stands for, and the
// English text of each.
#include <cstddef>
#include <optional>

#include "korvane/Korvane.h"

namespace api {

// Slots 0-42 are entries 0-42, 43-60 entries 49-66, 61-90 entries 68-97;
// the others stand for no entry.
std::optional<size_t> tableEntryOfSlot(size_t slot);
const char16_t* slotDefault(size_t slot);

}  // namespace api
