// Exports that hand over the toolpath and move the playback along it.
#include <exception>

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

void requestPosition(Render& view, double timeFraction) { view.job().playback.pending = timeFraction; }

}  // namespace

extern "C" {

SIM_EXPORT int32_t SIM_SetToolpath(Render* view, const SIM_ToolpathRecord* record) {
  if (!view) return -1;
  LoadingMark loading(view->job().loadingToolpath);
  try {
    toolpath::Toolpath& toolpath = view->job().ensureToolpath();
    toolpath.load(record ? *record : SIM_ToolpathRecord{});
  } catch (const std::exception&) {
    // Counts that cannot be held in memory leave an empty toolpath, which
    // the view takes over like any other.
  }
  view->toolpathChanged();
  return 0;
}

SIM_EXPORT int32_t SIM_SetToolpathOperationVisibility(Render* view, uint32_t operation, bool visible) {
  if (!view) return -1;
  toolpath::Toolpath* toolpath = view->job().toolpath();
  if (toolpath && toolpath->setOperationVisible(operation, visible)) {
    view->job().toolpathChanged = 1;
    view->job().stockChanged = 1;
    view->requestRedraw();
  }
  return 0;
}

SIM_EXPORT int32_t SIM_SetToolpathMode(Render* view, uint32_t mode) {
  if (!view) return -1;
  if (view::isToolpathMode(mode) && view->job().toolpathMode.exchange(mode) != mode) view->requestRedraw();
  return 0;
}

SIM_EXPORT uint32_t SIM_GetToolpathMode(Render* view) { return view ? view->job().toolpathMode.load() : 0; }

SIM_EXPORT int32_t SIM_GotoLine(Render* view, uint32_t line) {
  if (!view) return -1;
  toolpath::Toolpath* toolpath = view->job().toolpath();
  if (!toolpath || toolpath->moveCount() == 0) return 0;
  std::lock_guard lock(toolpath->mutex());
  const int64_t current = toolpath->moveAtFraction(view->job().playback.position.load(), toolpath::Measure::Time);
  if (toolpath->lineOf(current) == line) return 0;
  requestPosition(*view, toolpath->timeFractionOfMove(toolpath->lastMoveOfLine(line)));
  return 0;
}

SIM_EXPORT int32_t SIM_GotoEntity(Render* view, uint32_t entity) {
  if (!view) return -1;
  toolpath::Toolpath* toolpath = view->job().toolpath();
  if (!toolpath || toolpath->moveCount() == 0) return 0;
  requestPosition(*view, toolpath->timeFractionOfMove(toolpath->lastMoveOfEntity(entity)));
  return 0;
}

}  // extern "C"
