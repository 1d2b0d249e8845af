#include "view/PhaseTimings.h"

#include <algorithm>

#include "gpu/GL.h"
#include "platform/ProcessMemory.h"

namespace view {

namespace {
// Scopes open on this thread: only the outermost starts the peak over.
thread_local int tOpenScopes = 0;
}  // namespace

PhaseTimings::Scope::Scope(PhaseTimings* timings, Phase phase, bool waitForGpu)
    : timings_(timings), phase_(phase), waitForGpu_(waitForGpu) {
  if (!timings_) return;
  if (tOpenScopes++ == 0) {
    timings_->notePeak();
    platform::resetPeakResident();
  }
  start_ = std::chrono::steady_clock::now();
}

PhaseTimings::Scope::~Scope() {
  if (!timings_) return;
  --tOpenScopes;
  if (discarded_) return;
  if (waitForGpu_) glFinish();
  timings_->add(phase_, std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count());
}

void PhaseTimings::add(Phase phase, double seconds) {
  const uint64_t peak = platform::peakResidentBytes();
  std::lock_guard lock(mutex_);
  const size_t k = static_cast<size_t>(phase);
  totals_.seconds[k] += seconds;
  totals_.peakResidentBytes[k] = std::max(totals_.peakResidentBytes[k], peak);
  totals_.wholePeakResidentBytes = std::max(totals_.wholePeakResidentBytes, peak);
}

void PhaseTimings::notePeak() {
  const uint64_t peak = platform::peakResidentBytes();
  std::lock_guard lock(mutex_);
  totals_.wholePeakResidentBytes = std::max(totals_.wholePeakResidentBytes, peak);
}

void PhaseTimings::noteBare() {
  if (!enabled_) return;
  const uint64_t resident = platform::residentBytes();
  std::lock_guard lock(mutex_);
  totals_.bareResidentBytes = resident;
}

PhaseTotals PhaseTimings::totals() const {
  const uint64_t peak = enabled_ ? platform::peakResidentBytes() : 0;
  std::lock_guard lock(mutex_);
  PhaseTotals totals = totals_;
  totals.wholePeakResidentBytes = std::max(totals.wholePeakResidentBytes, peak);
  return totals;
}

}  // namespace view
