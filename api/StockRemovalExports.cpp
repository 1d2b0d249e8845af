// The stock removal settings: how the stock takes material and shows it.
#include "api/OnView.h"
#include "api/SettingChecks.h"
#include "korvane/Korvane.h"
#include "view/RemoteControl.h"
#include "view/Render.h"
#include "view/StockRemoval.h"

extern "C" {

SIM_EXPORT int32_t SIM_SetStockRemovalSettings(Render* view, const SIM_StockRemovalSettings* settings) {
  return api::onView(view, [&](Render& v) {
    if (!settings) return -1;
    if (int32_t refused = api::checkStockRemoval(*settings)) return refused;
    view::applyStockRemoval(v, *settings);
    return 0;
  });
}

SIM_EXPORT SIM_StockRemovalSettings SIM_GetStockRemovalSettings(Render* view) {
  const SIM_StockRemovalSettings defaults = view::StockRemoval::defaults();
  return api::onView(view, defaults, defaults, [](Render& v) { return view::stockRemovalOf(v); });
}

}  // extern "C"
