// Exports that set and read the stock compare: limits in host units
// outside, millimetres inside.
#include "api/OnView.h"
#include "korvane/Korvane.h"
#include "view/Render.h"

namespace {
// The ribbon's Compare button.
constexpr uint32_t kCompareAction = 65;
}  // namespace

extern "C" {

SIM_EXPORT int32_t SIM_SetStockCompare(Render* view, const SIM_StockCompare* compare) {
  return api::onView(view, [&](Render& v) {
    if (!compare) return -1;
    if (!view::CompareSetting::finite(*compare)) return int32_t{SIM_STATUS_NOT_FINITE};
    if (compare->lower > compare->upper) return int32_t{SIM_STATUS_OUT_OF_RANGE};
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

}  // extern "C"
