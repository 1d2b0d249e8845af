#pragma once
// Which moves the toolpath display shows around the current move, by the
// view's toolpath mode:
//
//   0  the whole toolpath            6  the last 1,000 moves up to the tool
//   1  from the start to the tool    7  since the last rapid
//   2  all, what follows dimmed      8  since the last tool change
//   3  from the tool to the end      9  from the start to the tool, the
//   4  the current Z level              current move marked (the flag)
//   5  the current Z level up to    10  the current operation
//      the tool
//
// Modes above 10, and views without their own interface, show everything.
// A level is a move's end point along the tool axis the kinematics give
// at its axis values, so tilted work planes count as levels too.
#include <cstdint>
#include <optional>
#include <utility>

#include "machine/Kinematics.h"
#include "toolpath/Toolpath.h"

namespace toolpath {

struct MoveWindow {
  int64_t first = 0;
  int64_t last = -1;   // inclusive; -1 with no moves
  bool markCurrent = false;

  bool operator==(const MoveWindow&) const = default;
};

struct WindowRequest {
  int64_t current = 0;
  uint32_t mode = 0;
  double playbackFraction = 0.0;  // for mode 10's operation lookup
  bool hasInterface = true;
  // Lower and upper move limits; both set, they bound the window.
  std::optional<std::pair<int64_t, int64_t>> limits;
};

MoveWindow visibleMoves(const Toolpath& toolpath, const machine::Kinematics& kinematics, const WindowRequest& request);

}  // namespace toolpath
