#pragma once
// The rule every view export follows: a null view gets the export's own
// answer for it, and nothing thrown inside the library crosses the C
// boundary; a failure gets the export's answer for that (the view keeps
// what it had).
#include <cstdint>
#include <utility>

#include "korvane/Korvane.h"

namespace api {

template <typename Result, typename Work>
Result onView(Render* view, Result nullView, Result failed, Work&& work) noexcept {
  if (!view) return nullView;
  try {
    return std::forward<Work>(work)(*view);
  } catch (...) {
    return failed;
  }
}

// Most exports answer -1 for a null view and 0 when the work failed.
template <typename Work>
int32_t onView(Render* view, Work&& work) noexcept {
  return onView<int32_t>(view, -1, 0, std::forward<Work>(work));
}

}  // namespace api
