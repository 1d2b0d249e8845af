#pragma once
// The step commands of playback (SIM_GotoCommand, the playback buttons and
// keys): from the position p, the position to go to.
#include <cstdint>
#include <optional>

namespace toolpath {
class Toolpath;
}

namespace view {

enum class StepCommand : uint32_t {
  GoToStart = 0,
  GoToEnd = 1,
  NextElement = 2,
  NextZLevel = 3,
  NextCuttingPass = 4,
  NextTool = 5,
  NextOperation = 6,
  PreviousElement = 7,
  PreviousZLevel = 8,
  PreviousCuttingPass = 9,
  PreviousTool = 10,
  PreviousOperation = 11,
};

// The move the step leads to from position p; none when the step does
// nothing there (no toolpath, an unknown code, no later tool or operation).
std::optional<int64_t> stepMove(const toolpath::Toolpath& path, uint32_t code, double p);
// The position the step leads to: the end of that move, 0 and 1 exactly for
// the start and the end.
std::optional<double> stepTarget(const toolpath::Toolpath& path, uint32_t code, double p);

}  // namespace view
