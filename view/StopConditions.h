#pragma once
// What pauses playback: eight bytes, each 0 or 1, that the host and the
// ribbon's "Stop at" menu set. Tool changes, operation changes and optional
// stops are marked in the toolpath, and the machine check's collisions and
// travel-limit violations are known once it ran, so playing stops exactly
// there. Rapid moves into the stock, cuts with the spindle stopped and the
// tool's non-cutting parts meeting material are known once the cut reports
// them, so playing goes back to the first of them.
#include <atomic>
#include <cstdint>
#include <optional>
#include <span>

#include <vector>

#include "korvane/Korvane.h"

namespace toolpath {
class Toolpath;
}
namespace collision {
struct MachineResult;
struct LimitResult;
}  // namespace collision
namespace stock {
struct PartHit;
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

// A place to stop that a check found: a time fraction of the toolpath and
// the condition it falls under.
struct FoundStop {
  double at = 0.0;
  StopCondition condition = 0;
  bool operator==(const FoundStop&) const = default;
};

// What the cut found, in the order of the toolpath: each reported move
// (ascending; rapid moves into the stock and cuts with the spindle stopped)
// at its end, and each move where a non-cutting part of the tool (shoulder,
// shaft or holder: a crash whichever it is) met material where along it it
// first did ([4]).
std::vector<FoundStop> cutStops(const toolpath::Toolpath& path, std::span<const uint32_t> reported,
                                std::span<const stock::PartHit> partHits);

// What the machine check found: the start of each collision interval of
// the machine's pairs ([5]) and where each travel-limit violation is worst
// ([6], as the report shows it), in toolpath time.
std::vector<FoundStop> checkStops(const toolpath::Toolpath& path, std::span<const collision::MachineResult> collisions,
                                  std::span<const collision::LimitResult> limits);

// The earliest found stop whose condition is on and that lies in (from, to].
std::optional<double> firstFoundStop(std::span<const FoundStop> found, uint64_t conditions, double from, double to);

}  // namespace view
