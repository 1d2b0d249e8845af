// Exports that take results out of the view: stock solids as STL.
#include <mutex>
#include <shared_mutex>

#include "korvane/Korvane.h"
#include "view/Render.h"

extern "C" {

SIM_EXPORT int32_t SIM_ExportSolid(Render* view, int32_t solid, const char* path) {
  if (!view || !path || solid < 0) return -1;
  {
    std::shared_lock solids(view->locks().solidList);
    const stock::StockCollection* stocks = view->job().stocks();
    if (!stocks || !stocks->stock(static_cast<uint32_t>(solid))) return -1;
  }
  return view->exportSolid(static_cast<uint32_t>(solid), path) ? 0 : -1;
}

}  // extern "C"
