// Exports that set and read the stock compare: limits in host units
// outside, millimetres inside; the band colours.
#include <cmath>

#include "api/OnView.h"
#include "api/SettingChecks.h"
#include "korvane/Korvane.h"
#include "view/Render.h"

namespace {
// The ribbon's Compare button.
constexpr uint32_t kCompareAction = 65;

SIM_StockCompareColors recordOf(const view::CompareSetting::Colours& colours) {
  SIM_StockCompareColors record{};
  for (size_t band = 0; band < colours.size(); ++band)
    for (int c = 0; c < 3; ++c) record.colour[band][c] = colours[band][c];
  return record;
}
}  // namespace

extern "C" {

SIM_EXPORT int32_t SIM_SetStockCompare(Render* view, const SIM_StockCompare* compare) {
  return api::onView(view, [&](Render& v) {
    if (!compare) return -1;
    if (int32_t refused = api::checkStockCompare(*compare)) return refused;
    const double scale = v.job().units.scale.load();
    v.job().stockCompare.set({compare->flags, compare->lower * scale, compare->upper * scale});
    if (UI::RibbonState* ribbon = v.ribbon()) ribbon->check(kCompareAction, (compare->flags & SIM_COMPARE_SHOWN) != 0);
    v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT SIM_StockCompare SIM_GetStockCompare(Render* view) {
  const SIM_StockCompare none{0, 1.0f, 0.0f};
  return api::onView(view, none, none, [](Render& v) {
    const view::CompareSetting::Values values = v.job().stockCompare.get();
    const double scale = v.job().units.scale.load();
    return SIM_StockCompare{values.flags, static_cast<float>(values.lower / scale),
                            static_cast<float>(values.upper / scale)};
  });
}

SIM_EXPORT int32_t SIM_SetStockCompareColors(Render* view, const SIM_StockCompareColors* colours) {
  return api::onView(view, [&](Render& v) {
    if (!colours) return -1;
    if (int32_t refused = api::checkCompareColours(*colours)) return refused;
    view::CompareSetting::Colours set{};
    for (size_t band = 0; band < set.size(); ++band)
      for (int c = 0; c < 3; ++c) set[band][c] = colours->colour[band][c];
    v.job().stockCompare.setColours(set);
    v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT SIM_StockCompareColors SIM_GetStockCompareColors(Render* view) {
  const SIM_StockCompareColors defaults = recordOf(view::CompareSetting::defaultColours());
  return api::onView(view, defaults, defaults,
                     [](Render& v) { return recordOf(v.job().stockCompare.colours()); });
}

}  // extern "C"
