// Exports that define, read and remove stocks.
#include <mutex>
#include <shared_mutex>

#include "api/OnView.h"
#include "api/RecordChecks.h"
#include "api/RecordDefaults.h"
#include "api/StockRecords.h"
#include "korvane/Korvane.h"
#include "view/Render.h"

namespace {

// A new material is built uncut and cut again by the next frame; a stock
// that only looks different keeps its lattice.
int32_t applyStock(Render* view, const SIM_StockRecord& record) {
  return api::onView<int32_t>(view, 1, 0, [&](Render& v) {
    if (int32_t refused = api::checkStock(record, v.job().units.scale.load())) return refused;
    stock::StockDefinition definition = api::stockDefinitionOf(record, v.job().units.scale.load());
    {
      std::unique_lock stockLock(v.stock().lock());
      v.job().stocks.setStock(std::move(definition));
    }
    v.requestRedraw();
    return 0;
  });
}

}  // namespace

extern "C" {

SIM_EXPORT int32_t SIM_CutStock(Render* view, const uint32_t* range) {
  if (!range) return -1;
  return api::onView(view, [&](Render& v) {
    const uint32_t first = range[0], end = range[1];
    v.commands().post(view::CommandStage::BeforeFrame, [&v, first, end] { v.cutStockMoves(first, end); });
    return 0;
  });
}

SIM_EXPORT int32_t SIM_CreateStock(Render* view, SIM_StockRecord record) { return applyStock(view, record); }

SIM_EXPORT int32_t SIM_UpdateStock(Render* view, SIM_StockRecord record) { return applyStock(view, record); }

SIM_EXPORT SIM_StockRecord SIM_GetStock(Render* view, uint32_t identifier) {
  const SIM_StockRecord none = api::defaultStockRecord();
  return api::onView(view, none, none, [&](Render& v) {
    const std::optional<stock::StockDescription> found = v.job().stocks.stock(identifier);
    if (!found) return none;
    view::HostAnswers& answers = v.job().answers;
    std::lock_guard lock(answers.stockMutex);
    api::answerStocks(answers.stock, {found->definition}, v.job().units.scale.load());
    return answers.stock.records.front();
  });
}

SIM_EXPORT SIM_StockList SIM_GetStockModels(Render* view) {
  const SIM_StockList none{nullptr, 0};
  return api::onView(view, none, none, [&](Render& v) {
    std::vector<stock::StockDefinition> definitions;
    for (const stock::StockDescription& s : v.job().stocks.stocks()) definitions.push_back(s.definition);
    view::HostAnswers& answers = v.job().answers;
    std::lock_guard lock(answers.stockListMutex);
    api::answerStocks(answers.stockList, definitions, v.job().units.scale.load());
    if (answers.stockList.records.empty()) return none;
    return SIM_StockList{answers.stockList.records.data(), answers.stockList.records.size()};
  });
}

SIM_EXPORT int64_t SIM_GetCurrentStockModel(Render* view) {
  return api::onView<int64_t>(view, -1, -1, [](Render& v) {
    const std::optional<uint32_t> current = v.job().stocks.currentStock();
    return current ? int64_t{*current} : -1;
  });
}

SIM_EXPORT double SIM_GetStockCellSize(Render* view, uint32_t identifier) {
  return api::onView<double>(view, 0.0, 0.0,
                             [&](Render& v) { return v.stock().cellSize(identifier) / v.job().units.scale.load(); });
}

SIM_EXPORT int32_t SIM_RemoveStock(Render* view, uint32_t identifier) {
  return api::onView(view, [&](Render& v) {
    bool removed = false;
    {
      std::unique_lock stockLock(v.stock().lock());
      removed = v.job().stocks.removeStock(identifier);
    }
    if (removed) v.requestRedraw();
    return 0;
  });
}

}  // extern "C"
