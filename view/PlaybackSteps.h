#pragma once
// The step commands of playback (SIM_GotoCommand, the playback buttons and
// keys): from the position p, the position to go to.
#include <cstdint>
#include <optional>

#include "korvane/Korvane.h"

namespace toolpath {
class Toolpath;
}

namespace view {

// SIM_GotoCommand's codes.
enum class StepCommand : uint32_t {
  GoToStart = SIM_STEP_START,
  GoToEnd = SIM_STEP_END,
  NextElement = SIM_STEP_NEXT_ELEMENT,
  NextZLevel = SIM_STEP_NEXT_Z_LEVEL,
  NextCuttingPass = SIM_STEP_NEXT_CUTTING_PASS,
  NextTool = SIM_STEP_NEXT_TOOL,
  NextOperation = SIM_STEP_NEXT_OPERATION,
  PreviousElement = SIM_STEP_PREVIOUS_ELEMENT,
  PreviousZLevel = SIM_STEP_PREVIOUS_Z_LEVEL,
  PreviousCuttingPass = SIM_STEP_PREVIOUS_CUTTING_PASS,
  PreviousTool = SIM_STEP_PREVIOUS_TOOL,
  PreviousOperation = SIM_STEP_PREVIOUS_OPERATION,
};

// The move the step leads to from position p; none when the step does
// nothing there (no toolpath, an unknown code, no later tool or operation).
std::optional<int64_t> stepMove(const toolpath::Toolpath& path, uint32_t code, double p);
// The position the step leads to: the end of that move, 0 and 1 exactly for
// the start and the end.
std::optional<double> stepTarget(const toolpath::Toolpath& path, uint32_t code, double p);

}  // namespace view
