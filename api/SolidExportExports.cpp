// Exports that take results out of the view: stock solids as STL.
#include "api/OnView.h"
#include "korvane/Korvane.h"
#include "view/Render.h"

extern "C" {

SIM_EXPORT int32_t SIM_ExportSolid(Render* view, int32_t solid, const char* path) {
  if (!path || solid < 0) return -1;
  return api::onView<int32_t>(view, -1, -1, [&](Render& v) {
    if (!v.job().stocks.stock(static_cast<uint32_t>(solid))) return -1;
    return v.exportSolid(static_cast<uint32_t>(solid), path) ? 0 : -1;
  });
}

}  // extern "C"
