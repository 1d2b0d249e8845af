// The host's length unit and the chord tolerance of models and the cut.
#include <algorithm>
#include <cmath>

#include <glm/mat3x3.hpp>
#include <glm/matrix.hpp>

#include "api/OnView.h"
#include "api/SettingChecks.h"
#include "korvane/Korvane.h"
#include "view/Render.h"

namespace {


}  // namespace

extern "C" {

SIM_EXPORT int32_t SIM_SetUnits(Render* view, uint32_t unit) {
  return api::onView(view, [&](Render& v) {
    v.job().units.set(unit);
    v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT int32_t SIM_SetDecimals(Render* view, uint8_t digits) {
  return api::onView(view, [&](Render& v) {
    // More than nine places say nothing a length in this view holds.
    v.job().units.decimals = std::min<int>(digits, 9);
    v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT int32_t SIM_SetAxisTransformation(Render* view, const double rotation[9]) {
  if (!rotation) return -1;
  return api::onView(view, [&](Render& v) {
    if (int32_t refused = api::checkAxisTransformation(rotation)) return refused;
    glm::dmat3 m;
    for (int row = 0; row < 3; ++row)
      for (int column = 0; column < 3; ++column) m[column][row] = rotation[row * 3 + column];
    v.job().setHostAxes(m);
    v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT int32_t SIM_SetGeometryPrecision(Render* view, double precision, bool applyNow) {
  return api::onView(view, [&](Render& v) {
    view::JobData& job = v.job();
    // A precision that is not a length between a micrometre and the largest changes nothing.
    if (!std::isfinite(precision)) return int32_t{SIM_STATUS_NOT_FINITE};
    if (int32_t refused = api::checkGeometryPrecision(precision * job.units.scale.load())) return refused;
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
