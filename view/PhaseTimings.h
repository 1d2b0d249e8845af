#pragma once
// Where a view's time goes, phase by phase, for a host that asked for it
// (SIM_HINT_TIMINGS): the seconds of each phase summed over its runs and
// the most resident memory the process held during them. A timed phase on
// the render thread waits for the GPU at its end, so that the work it sent
// counts in it; untimed views neither wait nor touch the memory counters.
// Phases run on the render, host and export threads; the memory is the
// process's, so phases that overlap share their peaks. A phase run inside
// another (the surface a picture needs extracted first) counts in both.
#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>

namespace view {

enum class Phase : uint32_t { ToolpathLoad, StockBuild, Cut, Extraction, Weld, StlWrite, Picture, Count };
inline constexpr size_t kPhaseCount = static_cast<size_t>(Phase::Count);

struct PhaseTotals {
  std::array<double, kPhaseCount> seconds{};
  std::array<uint64_t, kPhaseCount> peakResidentBytes{};
  uint64_t bareResidentBytes = 0;
  uint64_t wholePeakResidentBytes = 0;  // since the view was made, in phases or not
};

class PhaseTimings {
 public:
  // One run of a phase, from construction to destruction.
  class Scope {
   public:
    Scope(PhaseTimings* timings, Phase phase, bool waitForGpu);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    // The run did no work after all: it counts neither time nor memory.
    void discard() { discarded_ = true; }

   private:
    PhaseTimings* timings_;  // null when the view is not timed
    Phase phase_;
    bool waitForGpu_;
    bool discarded_ = false;
    std::chrono::steady_clock::time_point start_;
  };

  void enable(bool on) { enabled_ = on; }
  bool enabled() const { return enabled_; }
  // waitForGpu only on the render thread.
  Scope time(Phase phase, bool waitForGpu = false) { return Scope(enabled_ ? this : nullptr, phase, waitForGpu); }
  // Notes the resident memory of the view ready and idle.
  void noteBare();
  PhaseTotals totals() const;

 private:
  void add(Phase phase, double seconds);
  // Keeps the peak so far before a scope starts it over.
  void notePeak();

  bool enabled_ = false;  // set before the threads start
  mutable std::mutex mutex_;
  PhaseTotals totals_;
};

}  // namespace view
