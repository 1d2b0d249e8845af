// Exports that hand over the toolpath and move the playback along it.
#include <atomic>
#include <mutex>
#include <shared_mutex>

#include "api/OnView.h"
#include "api/RecordChecks.h"
#include "korvane/Korvane.h"
#include "toolpath/Toolpath.h"
#include "view/Render.h"

namespace {

// Clears the view's loading mark however the load ends.
struct LoadingMark {
  std::atomic<uint8_t>& mark;
  explicit LoadingMark(std::atomic<uint8_t>& m) : mark(m) { mark = 1; }
  ~LoadingMark() { mark = 0; }
};

// Counts no memory can hold leave an empty toolpath, which the view takes
// over like any other.
toolpath::Toolpath loaded(const SIM_ToolpathRecord* record) {
  try {
    return toolpath::Toolpath::fromRecord(record ? *record : SIM_ToolpathRecord{});
  } catch (const std::exception&) {
    return toolpath::Toolpath();
  }
}

}  // namespace

extern "C" {

SIM_EXPORT int32_t SIM_SetToolpath(Render* view, const SIM_ToolpathRecord* record) {
  return api::onView(view, [&](Render& v) {
    if (record)
      if (int32_t refused = api::checkToolpath(*record)) return refused;
    view::JobData& job = v.job();
    LoadingMark loading(job.loadingToolpath);
    const auto timed = v.timings().time(view::Phase::ToolpathLoad);
    // Built without holding anything; published with the tools' orientations.
    toolpath::Toolpath path = loaded(record);
    {
      std::shared_lock tools(job.toolTableLock);
      try {
        job.toolpath.publish(std::move(path), &job.toolTable(), *job.kinematics());
      } catch (const std::exception&) {
        job.toolpath.publish(toolpath::Toolpath(), nullptr, *job.kinematics());
      }
    }
    v.toolpathChanged();
    return 0;
  });
}

SIM_EXPORT int32_t SIM_SetToolpathOperationVisibility(Render* view, uint32_t operation, bool visible) {
  return api::onView(view, [&](Render& v) {
    const bool changed = v.job().toolpath.update(
        [&](const toolpath::Toolpath& path) { return path.withOperationVisible(operation, visible); });
    if (changed) v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT int32_t SIM_SetToolpathMode(Render* view, uint32_t mode) {
  return api::onView(view, [&](Render& v) {
    if (view::isToolpathMode(mode) && v.job().toolpathMode.exchange(mode) != mode) v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT uint32_t SIM_GetToolpathMode(Render* view) {
  return api::onView<uint32_t>(view, 0, 0, [](Render& v) { return v.job().toolpathMode.load(); });
}

SIM_EXPORT int32_t SIM_GotoLine(Render* view, uint32_t line) {
  return api::onView(view, [&](Render& v) {
    const std::shared_ptr<const toolpath::Toolpath> path = v.job().toolpath.current();
    if (!path || path->moveCount() == 0) return 0;
    const int64_t current = path->moveAtFraction(v.playback().position(), toolpath::Measure::Time);
    if (path->lineOf(current) != line) v.playback().requestPosition(path->timeFractionOfMove(path->lastMoveOfLine(line)));
    return 0;
  });
}

SIM_EXPORT int32_t SIM_GotoEntity(Render* view, uint32_t entity) {
  return api::onView(view, [&](Render& v) {
    const std::shared_ptr<const toolpath::Toolpath> path = v.job().toolpath.current();
    if (!path || path->moveCount() == 0) return 0;
    v.playback().requestPosition(path->timeFractionOfMove(path->lastMoveOfEntity(entity)));
    return 0;
  });
}

}  // extern "C"
