// Exports that define, read, select and remove named geometries.
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>

#include "api/OnView.h"
#include "api/RecordChecks.h"
#include "api/RecordDefaults.h"
#include "api/StockRecords.h"
#include "korvane/Korvane.h"
#include "view/Render.h"

namespace {

std::string_view textOf(const char* name) { return name ? std::string_view(name) : std::string_view(); }

}  // namespace

extern "C" {

SIM_EXPORT int32_t SIM_CreateGeometries(Render* view, SIM_GeometryList list, bool replace) {
  // A failure leaves the list as it was.
  return api::onView<int32_t>(view, 1, 0, [&](Render& v) {
    const double unitScale = v.job().units.scale.load();
    if (int32_t refused = api::checkGeometries(list, unitScale)) return refused;
    std::vector<stock::Geometry> geometries;
    const size_t count = list.geometries ? list.count : 0;
    for (size_t i = 0; i < count; ++i) geometries.push_back(api::geometryOf(list.geometries[i], unitScale));
    {
      std::unique_lock stockLock(v.stock().lock());
      v.job().stocks.setGeometries(std::move(geometries), replace);
    }
    v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT SIM_GeometryList SIM_GetGeometries(Render* view) {
  const SIM_GeometryList none{nullptr, 0};
  return api::onView(view, none, none, [&](Render& v) {
    view::HostAnswers& answers = v.job().answers;
    std::lock_guard lock(answers.geometryListMutex);
    api::answerGeometries(answers.geometryList, v.job().stocks.geometries(), v.job().units.scale.load());
    if (answers.geometryList.records.empty()) return none;
    return SIM_GeometryList{answers.geometryList.records.data(), answers.geometryList.records.size()};
  });
}

SIM_EXPORT SIM_GeometryRecord SIM_GetGeometry(Render* view, const char* name) {
  const SIM_GeometryRecord none = api::defaultGeometryRecord();
  return api::onView(view, none, none, [&](Render& v) {
    const std::optional<stock::Geometry> found = v.job().stocks.geometry(textOf(name));
    if (!found) return none;
    view::HostAnswers& answers = v.job().answers;
    std::lock_guard lock(answers.geometryMutex);
    api::answerGeometries(answers.geometry, {*found}, v.job().units.scale.load());
    return answers.geometry.records.front();
  });
}

SIM_EXPORT int32_t SIM_UpdateGeometry(Render* view, const SIM_GeometryRecord* record) {
  if (!record) return 1;
  // A failure leaves the geometry as it was.
  return api::onView<int32_t>(view, 1, 0, [&](Render& v) {
    if (int32_t refused = api::checkGeometry(*record, v.job().units.scale.load())) return refused;
    stock::Geometry geometry = api::geometryOf(*record, v.job().units.scale.load());
    bool found = false;
    {
      std::unique_lock stockLock(v.stock().lock());
      found = v.job().stocks.updateGeometry(std::move(geometry));
    }
    if (!found) return 1;
    v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT int32_t SIM_RemoveGeometry(Render* view, const char* name) {
  return api::onView(view, [&](Render& v) {
    // At the next frame that can do stock work.
    v.commands().post(view::CommandStage::StockUnlocked,
                      [&v, name = std::string(textOf(name))] { v.job().stocks.removeGeometry(name); });
    return 0;
  });
}

SIM_EXPORT int32_t SIM_SelectGeometry(Render* view, const char* name) {
  return api::onView(view, [&](Render& v) {
    if (v.job().stocks.selectGeometry(textOf(name))) v.requestRedraw();
    return 0;
  });
}

}  // extern "C"
