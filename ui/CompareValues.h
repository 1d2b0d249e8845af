#pragma once
// What the compare panels and the legend show: the range in the host's
// units, the five band colours, which parts of the surface are shown,
// whether the bands are flat, and the distance under the cursor.
#include <array>
#include <optional>

#include "ui/Theme.h"

namespace UI {

struct CompareValues {
  bool shown = false;
  double lower = -0.1, upper = 0.1;  // host units
  bool inch = false;
  std::array<Colour, 5> colours{};   // far below ... far above
  std::array<bool, 3> visible{true, true, true};  // below, within, above the range
  bool stepped = false;
  std::optional<double> distance;  // host units; none off the stock

  bool operator==(const CompareValues&) const = default;
};

}  // namespace UI
