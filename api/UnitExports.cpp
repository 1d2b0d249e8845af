// The host's length unit and the chord tolerance of models and the cut.
#include <cmath>

#include "api/OnView.h"
#include "korvane/Korvane.h"
#include "view/Render.h"

namespace {

constexpr double kFinestPrecisionMm = 1e-4;

}  // namespace

extern "C" {

SIM_EXPORT int32_t SIM_SetUnits(Render* view, uint32_t unit) {
  return api::onView(view, [&](Render& v) {
    v.job().units.set(unit);
    v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT int32_t SIM_SetGeometryPrecision(Render* view, double precision, bool applyNow) {
  return api::onView(view, [&](Render& v) {
    view::JobData& job = v.job();
    // A precision that is not a length between a micrometre and the largest changes nothing.
    if (!std::isfinite(precision)) return int32_t{SIM_STATUS_NOT_FINITE};
    const double millimetres = precision * job.units.scale.load();
    if (!(millimetres >= kFinestPrecisionMm) || millimetres > SIM_LARGEST_LENGTH_MM)
      return int32_t{SIM_STATUS_OUT_OF_RANGE};
    job.geometryPrecision = precision * job.units.scale.load();
    if (applyNow) ++job.precisionVersion;
    v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT double SIM_GetGeometryPrecision(Render* view) {
  return api::onView(view, 0.0, 0.0, [](Render& v) {
    return v.job().geometryPrecision.load() / v.job().units.scale.load();
  });
}

}  // extern "C"
