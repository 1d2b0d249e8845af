// The export that tells a host where a timed view's time went.
#include <algorithm>

#include "api/OnView.h"
#include "korvane/Korvane.h"
#include "view/Render.h"

static_assert(SIM_PHASE_COUNT == view::kPhaseCount);
static_assert(SIM_PHASE_CUT == static_cast<int>(view::Phase::Cut) &&
              SIM_PHASE_PICTURE == static_cast<int>(view::Phase::Picture));
static_assert(sizeof(SIM_PhaseTimes) == SIM_PHASE_COUNT * 16 + 16);

extern "C" {

SIM_EXPORT int32_t SIM_GetPhaseTimes(Render* view, SIM_PhaseTimes* times) {
  if (!times) return -1;
  return api::onView(view, [&](Render& v) {
    if (!v.timings().enabled()) return 1;
    const view::PhaseTotals totals = v.timings().totals();
    std::copy(totals.seconds.begin(), totals.seconds.end(), times->seconds);
    std::copy(totals.peakResidentBytes.begin(), totals.peakResidentBytes.end(), times->peakResidentBytes);
    times->bareResidentBytes = totals.bareResidentBytes;
    times->wholePeakResidentBytes = totals.wholePeakResidentBytes;
    return 0;
  });
}

}  // extern "C"
