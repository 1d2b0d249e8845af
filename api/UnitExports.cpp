// The host's length unit.
#include <cmath>

#include "korvane/Korvane.h"
#include "view/Render.h"

extern "C" {

SIM_EXPORT int32_t SIM_SetUnits(Render* view, uint32_t unit) {
  if (!view) return -1;
  view->job().units.set(unit);
  view->requestRedraw();
  return 0;
}

SIM_EXPORT int32_t SIM_SetGeometryPrecision(Render* view, double precision, bool applyNow) {
  if (!view) return -1;
  view::JobData& job = view->job();
  // A precision that is not a positive length changes nothing.
  if (!(precision > 0) || !std::isfinite(precision)) return 0;
  job.geometryPrecision = precision * job.units.scale.load();
  if (applyNow) job.toolpathChanged = 1;
  view->requestRedraw();
  return 0;
}

SIM_EXPORT double SIM_GetGeometryPrecision(Render* view) {
  if (!view) return 0.0;
  return view->job().geometryPrecision.load() / view->job().units.scale.load();
}

}  // extern "C"
