#pragma once
// What the "Axis control" panel shows of a machine: its rotary axes (A, B,
// C in letter order), or its linear X, Y and Z where it has none, at most
// three, with their travel and where they stand in the view's units
// (rotary axes in degrees), and the machine value a dragged row stands
// for.
#include <cstdint>
#include <vector>

#include "machine/Machine.h"
#include "ui/AxisSlider.h"
#include "ui/StringTable.h"

namespace view {

struct AxisControl {
  std::vector<int32_t> nodes;      // the machine node of each row
  std::vector<UI::AxisValues> rows;
};

// values: the machine's axis values (millimetres, radians).
AxisControl axisControlOf(const machine::Machine& machine, const std::vector<double>& values,
                          const UI::StringTable& texts, bool inch, int decimals);
// The machine value (millimetres, radians) of a row's value.
double machineValueOf(const machine::Machine& machine, int32_t node, double shown, bool inch);

}  // namespace view
