#pragma once
// What pauses playback: eight bytes, each 0 or 1, that the host and the
// ribbon's "Stop at" menu set. Tool changes, operation changes and optional
// stops are marked in the toolpath, so playing stops exactly there; rapid
// moves into the stock and cuts with the spindle stopped are known once the
// cut reports them, so playing goes back to the end of the first such move.
#include <atomic>
#include <cstdint>
#include <optional>
#include <span>

#include "korvane/Korvane.h"

namespace toolpath {
class Toolpath;
}

namespace view {

// A condition: its byte's number (SIM_STOP_*).
using StopCondition = uint32_t;

// The bytes as a u64, byte k for condition k.
class StopConditions {
 public:
  // Any non-zero byte counts as 1.
  void set(uint64_t bytes) { bytes_ = normalised(bytes); }
  uint64_t bytes() const { return bytes_.load(); }
  bool on(StopCondition condition) const { return isOn(bytes_.load(), condition); }
  void set(StopCondition condition, bool on);
  // The ribbon's "Collision" entry: conditions 2 to 5 off when any of 2 to
  // 4 is on, otherwise all four on.
  void toggleCollisionGroup();

  static uint64_t normalised(uint64_t bytes);
  static bool isOn(uint64_t bytes, StopCondition condition) { return (bytes >> (8 * condition) & 0xFF) != 0; }

 private:
  std::atomic<uint64_t> bytes_{0};
};

// Where playing forward from time fraction from to to first meets a stop
// the toolpath marks whose condition is on: a tool change or the first move
// of an operation where the step to that move lands (its end), an optional
// stop before its move. None when nothing lies in (from, to].
std::optional<double> firstMarkedStop(const toolpath::Toolpath& path, uint64_t conditions, double from, double to);

// The end of the first of the reported moves (ascending; rapid moves into
// the stock and cuts with the spindle stopped) whose condition is on and
// whose end lies in (from, to].
std::optional<double> firstReportedStop(const toolpath::Toolpath& path, uint64_t conditions,
                                        std::span<const uint32_t> reported, double from, double to);

}  // namespace view
