// Exports that load, read and measure the tool table.
#include <exception>
#include <mutex>
#include <shared_mutex>
#include <span>

#include "korvane/Korvane.h"
#include "view/Render.h"

extern "C" {

SIM_EXPORT int32_t SIM_SetToolTable(Render* view, const SIM_ToolTableRecord* table) {
  if (!view) return -1;
  view::JobData& job = view->job();
  const SIM_ToolTableRecord empty{};
  try {
    std::unique_lock tools(view->locks().toolTable);
    job.toolTable().rebuild(table ? *table : empty, job.units.scale.load(), job.machineHolders());
    if (toolpath::Toolpath* toolpath = job.toolpath(); toolpath && job.toolTable().anyToolHasOrientation()) {
      toolpath->rebuildOrientations(job.toolTable());
      toolpath->applyCompensation(job.kinematics());
      job.toolpathChanged = 1;
    }
  } catch (const std::exception&) {
    // Out of memory building the table: it stays empty.
    std::unique_lock tools(view->locks().toolTable);
    job.toolTable().rebuild(empty, 1.0, job.machineHolders());
  }
  job.toolsChanged = 1;
  job.stockChanged = 1;
  view->requestRedraw();
  return 0;
}

SIM_EXPORT SIM_ToolTableRecord SIM_GetToolTable(Render* view) {
  SIM_ToolTableRecord result{};
  if (!view) return result;
  view::JobData& job = view->job();
  view::GetterResults& out = job.results;
  std::lock_guard answer(out.toolTableMutex);
  try {
    std::shared_lock tools(view->locks().toolTable);
    job.toolTable().hostRecords(out.tools, out.holders, job.units.scale.load());
  } catch (const std::exception&) {
    out.tools.clear();
    out.holders.clear();
  }
  result.tools = out.tools.empty() ? nullptr : out.tools.data();
  result.toolCount = out.tools.size();
  result.holders = out.holders.empty() ? nullptr : out.holders.data();
  result.holderCount = static_cast<int32_t>(out.holders.size());
  return result;
}

SIM_EXPORT SIM_CompensationList SIM_ResolveToolTableCompensation(Render* view, SIM_ToolTableRecord* table) {
  if (!view || !table) return {0, nullptr};
  view::JobData& job = view->job();
  view::GetterResults& out = job.results;
  std::lock_guard answer(out.compensationMutex);
  try {
    out.compensation = tools::resolveCompensation(*table, job.units.scale.load(), job.machineHolders());
  } catch (const std::exception&) {
    out.compensation.clear();
  }
  return {out.compensation.size(), out.compensation.empty() ? nullptr : out.compensation.data()};
}

SIM_EXPORT int32_t SIM_MountMachineSlots(Render* view, uint32_t count, const uint32_t* slots, const uint32_t* tools) {
  if (!view) return -1;
  if (count == 0 || !slots || !tools) return 0;
  std::unique_lock lock(view->locks().toolTable);
  view->job().toolTable().mountSlots(std::span(slots, count), std::span(tools, count));
  return 0;
}

}  // extern "C"
