// Exports that define, read and remove stocks.
#include <exception>
#include <span>

#include "korvane/Korvane.h"
#include "api/RecordDefaults.h"
#include "view/Render.h"

namespace {

// A stock change touches the stock model: no frame may read it meanwhile.
int32_t applyStock(Render& view, const SIM_StockRecord& record) {
  try {
    std::lock_guard scene(view.locks().scene);
    std::unique_lock stockModel(view.locks().view);
    view.job().ensureStocks().setStock(record, view.job().units.scale.load());
  } catch (const std::exception&) {
    return 0;  // out of memory copying the texts: the stock stays as it was
  }
  // A new material is built uncut and cut again by the next frame; a stock
  // that only looks different keeps its lattice.
  view.requestRedraw();
  return 0;
}

}  // namespace

extern "C" {

SIM_EXPORT int32_t SIM_CutStock(Render* view, const uint32_t* range) {
  if (!view || !range) return -1;
  const uint32_t first = range[0], end = range[1];
  view->queueRequest([view, first, end] { view->cutStockMoves(first, end); });
  return 0;
}

SIM_EXPORT int32_t SIM_CreateStock(Render* view, SIM_StockRecord record) {
  if (!view) return 1;
  return applyStock(*view, record);
}

SIM_EXPORT int32_t SIM_UpdateStock(Render* view, SIM_StockRecord record) {
  if (!view) return 1;
  return applyStock(*view, record);
}

SIM_EXPORT SIM_StockRecord SIM_GetStock(Render* view, uint32_t identifier) {
  if (!view) return api::defaultStockRecord();
  stock::StockCollection* stocks = view->job().stocks();
  std::optional<stock::StockDescription> found = stocks ? stocks->stock(identifier) : std::nullopt;
  if (!found) return api::defaultStockRecord();
  auto& results = view->job().results;
  std::lock_guard lock(results.stockMutex);
  stock::refill(results.stock, std::span(&*found, 1), view->job().units.scale.load());
  return results.stock.records.front();
}

SIM_EXPORT SIM_StockList SIM_GetStockModels(Render* view) {
  if (!view) return {nullptr, 0};
  stock::StockCollection* stocks = view->job().stocks();
  if (!stocks) return {nullptr, 0};
  auto& results = view->job().results;
  std::lock_guard lock(results.stockListMutex);
  stock::refill(results.stockList, stocks->stocks(), view->job().units.scale.load());
  if (results.stockList.records.empty()) return {nullptr, 0};
  return {results.stockList.records.data(), results.stockList.records.size()};
}

SIM_EXPORT int64_t SIM_GetCurrentStockModel(Render* view) {
  if (!view) return -1;
  stock::StockCollection* stocks = view->job().stocks();
  std::optional<uint32_t> current = stocks ? stocks->currentStock() : std::nullopt;
  return current ? int64_t{*current} : -1;
}

SIM_EXPORT int32_t SIM_RemoveStock(Render* view, uint32_t identifier) {
  if (!view) return -1;
  stock::StockCollection* stocks = view->job().stocks();
  if (!stocks) return 0;
  bool removed = false;
  {
    std::lock_guard scene(view->locks().scene);
    std::unique_lock solids(view->locks().solidList);
    std::unique_lock stockModel(view->locks().view);
    removed = stocks->removeStock(identifier);
  }
  if (removed) view->requestRedraw();
  return 0;
}

}  // extern "C"
