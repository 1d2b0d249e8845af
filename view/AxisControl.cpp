#include "view/AxisControl.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include <glm/trigonometric.hpp>

#include "machine/AxisLetters.h"

namespace view {
namespace {

// Travel where the definition gives none.
constexpr double kFreeLinearTravel = 1000.0;  // millimetres either way
constexpr double kFreeRotaryTravel = 360.0;   // degrees either way
// String-table entries of "A Axis" to "C Axis" and "X Axis" to "Z Axis".
constexpr uint16_t kRotaryLabels = 78, kLinearLabels = 81;

bool shownAsRotary(const machine::Axis& axis) { return axis.kind == machine::AxisKind::Rotation; }

std::u16string labelOf(const machine::Axis& axis, const UI::StringTable& texts) {
  if (axis.letter >= 0 && axis.letter <= 2) return texts[uint16_t(kRotaryLabels + axis.letter)];
  if (axis.letter >= 3 && axis.letter <= 5) return texts[uint16_t(kLinearLabels + axis.letter - 3)];
  const std::string_view text = machine::letterText(axis.letter);
  return std::u16string(text.begin(), text.end());
}

}  // namespace

AxisControl axisControlOf(const machine::Machine& machine, const std::vector<double>& values,
                          const UI::StringTable& texts, bool inch, int decimals) {
  // Rotary axes first; the linear X, Y and Z where there are none.
  std::vector<int32_t> chosen;
  for (bool rotary : {true, false}) {
    for (int32_t letter = rotary ? 0 : 3; letter < (rotary ? 3 : 6); ++letter) {
      const int32_t node = machine.nodeInSlot(letter);
      if (node < 0 || static_cast<size_t>(node) >= values.size()) continue;
      if (shownAsRotary(*machine.nodes()[node].axis) == rotary) chosen.push_back(node);
    }
    if (!chosen.empty()) break;
  }
  AxisControl control;
  for (int32_t node : chosen) {
    const machine::Axis& axis = *machine.nodes()[node].axis;
    UI::AxisValues row;
    row.label = labelOf(axis, texts);
    if (shownAsRotary(axis)) {
      row.min = axis.limits ? axis.limits->first : -kFreeRotaryTravel;
      row.max = axis.limits ? axis.limits->second : kFreeRotaryTravel;
      row.value = glm::degrees(values[node]);
      row.decimals = 2;
      row.unit = std::u16string(1, u'\u00B0');  // degrees
    } else {
      const double scale = inch ? 1.0 / 25.4 : 1.0;
      row.min = (axis.limits ? axis.limits->first : -kFreeLinearTravel) * scale;
      row.max = (axis.limits ? axis.limits->second : kFreeLinearTravel) * scale;
      row.value = values[node] * scale;
      row.decimals = decimals;
      row.unit = texts[inch ? 24 : 23];
    }
    control.nodes.push_back(node);
    control.rows.push_back(std::move(row));
  }
  return control;
}

double machineValueOf(const machine::Machine& machine, int32_t node, double shown, bool inch) {
  if (node < 0 || static_cast<size_t>(node) >= machine.nodes().size()) return shown;
  if (shownAsRotary(*machine.nodes()[node].axis)) return glm::radians(shown);
  return inch ? shown * 25.4 : shown;
}

}  // namespace view
