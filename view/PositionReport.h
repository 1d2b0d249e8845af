#pragma once
// What the host hears of the playback position: the NC line and entity of
// the current move, each sent only when it changed, and neither more often
// than every 100 ms.
#include <chrono>
#include <cstdint>
#include <utility>
#include <vector>

namespace view {

class PositionReport {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kInterval{100};

  // The current move's line and entity this frame.
  void observe(int32_t line, int32_t entity);
  // The events (code, value) due at now: event 5 with the line and event 11
  // with the entity, for what changed since the last report.
  std::vector<std::pair<uint32_t, int32_t>> due(Clock::time_point now);

 private:
  int32_t line_ = -1, entity_ = -1;
  bool lineChanged_ = false, entityChanged_ = false;
  Clock::time_point lastReport_{};
};

}  // namespace view
