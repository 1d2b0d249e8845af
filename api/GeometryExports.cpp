// Exports that define, read, select and remove named geometries.
#include <cstring>
#include <exception>
#include <span>
#include <string_view>

#include "korvane/Korvane.h"
#include "api/RecordDefaults.h"
#include "view/Render.h"

namespace {

std::string_view textOf(const char* name) { return name ? std::string_view(name) : std::string_view(); }

}  // namespace

extern "C" {

SIM_EXPORT int32_t SIM_CreateGeometries(Render* view, SIM_GeometryList list, bool replace) {
  if (!view) return 1;
  try {
    std::lock_guard scene(view->locks().scene);
    const size_t count = list.geometries ? list.count : 0;
    view->job().ensureStocks().setGeometries({list.geometries, count}, replace, view->job().units.scale.load());
  } catch (const std::exception&) {
    return 0;  // the list stays as it was
  }
  view->requestRedraw();
  return 0;
}

SIM_EXPORT SIM_GeometryList SIM_GetGeometries(Render* view) {
  if (!view) return {nullptr, 0};
  stock::StockCollection* stocks = view->job().stocks();
  if (!stocks) return {nullptr, 0};
  auto& results = view->job().results;
  std::lock_guard lock(results.geometryListMutex);
  stock::refill(results.geometryList, stocks->geometries(), view->job().units.scale.load());
  if (results.geometryList.records.empty()) return {nullptr, 0};
  return {results.geometryList.records.data(), results.geometryList.records.size()};
}

SIM_EXPORT SIM_GeometryRecord SIM_GetGeometry(Render* view, const char* name) {
  if (!view) return api::defaultGeometryRecord();
  stock::StockCollection* stocks = view->job().stocks();
  std::optional<stock::Geometry> found = stocks ? stocks->geometry(textOf(name)) : std::nullopt;
  if (!found) return api::defaultGeometryRecord();
  auto& results = view->job().results;
  std::lock_guard lock(results.geometryMutex);
  stock::refill(results.geometry, std::span(&*found, 1), view->job().units.scale.load());
  return results.geometry.records.front();
}

SIM_EXPORT int32_t SIM_UpdateGeometry(Render* view, const SIM_GeometryRecord* record) {
  if (!view || !record) return 1;
  stock::StockCollection* stocks = view->job().stocks();
  if (!stocks) return 1;
  bool found = false;
  try {
    std::lock_guard scene(view->locks().scene);
    found = stocks->updateGeometry(*record, view->job().units.scale.load());
  } catch (const std::exception&) {
    return 0;  // the geometry stays as it was
  }
  if (!found) return 1;
  view->requestRedraw();
  return 0;
}

SIM_EXPORT int32_t SIM_RemoveGeometry(Render* view, const char* name) {
  if (!view) return -1;
  std::lock_guard scene(view->locks().scene);
  if (view->job().stocks()) view->queueGeometryRemoval(std::string(textOf(name)));
  return 0;
}

SIM_EXPORT int32_t SIM_SelectGeometry(Render* view, const char* name) {
  if (!view) return -1;
  stock::StockCollection* stocks = view->job().stocks();
  if (stocks && stocks->selectGeometry(textOf(name))) view->requestRedraw();
  return 0;
}

}  // extern "C"
