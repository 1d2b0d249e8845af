// The host's length unit.
#include "Korvane.h"
#include "view/Render.h"

extern "C" {

SIM_EXPORT int32_t SIM_SetUnits(Render* view, uint32_t unit) {
  if (!view) return -1;
  view->job().units.set(unit);
  view->requestRedraw();
  return 0;
}

}  // extern "C"
