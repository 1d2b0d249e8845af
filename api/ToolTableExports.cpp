// Exports that load, read and measure the tool table.
#include <mutex>
#include <shared_mutex>
#include <span>

#include "api/OnView.h"
#include "api/RecordChecks.h"
#include "korvane/Korvane.h"
#include "view/Render.h"

extern "C" {

SIM_EXPORT int32_t SIM_SetToolTable(Render* view, const SIM_ToolTableRecord* table) {
  return api::onView(view, [&](Render& v) {
    view::JobData& job = v.job();
    if (table)
      if (int32_t refused = api::checkToolTable(*table, job.units.scale.load())) return refused;
    const SIM_ToolTableRecord empty{};
    std::unique_lock tools(job.toolTableLock);
    try {
      job.toolTable().rebuild(table ? *table : empty, job.units.scale.load(), job.machineHolders());
    } catch (const std::exception&) {
      // Out of memory building the table: it stays empty.
      job.toolTable().rebuild(empty, 1.0, job.machineHolders());
    }
    ++job.toolsVersion;
    v.requestRedraw();
    // The toolpath takes the tools' orientations over in a new snapshot; a
    // failure keeps the snapshot it had.
    if (job.toolTable().anyToolHasOrientation()) {
      try {
        job.toolpath.update([&](const toolpath::Toolpath& path) {
          return path.withOrientationsOf(job.toolTable()).withCompensation(*job.kinematics());
        });
      } catch (const std::exception&) {
      }
    }
    return 0;
  });
}

SIM_EXPORT SIM_ToolTableRecord SIM_GetToolTable(Render* view) {
  return api::onView(view, SIM_ToolTableRecord{}, SIM_ToolTableRecord{}, [](Render& v) {
    view::JobData& job = v.job();
    view::HostAnswers& out = job.answers;
    std::lock_guard answer(out.toolTableMutex);
    try {
      std::shared_lock tools(job.toolTableLock);
      job.toolTable().hostRecords(out.tools, out.holders, job.units.scale.load());
    } catch (const std::exception&) {
      out.tools.clear();
      out.holders.clear();
    }
    SIM_ToolTableRecord result{};
    result.tools = out.tools.empty() ? nullptr : out.tools.data();
    result.toolCount = out.tools.size();
    result.holders = out.holders.empty() ? nullptr : out.holders.data();
    result.holderCount = static_cast<int32_t>(out.holders.size());
    return result;
  });
}

SIM_EXPORT SIM_CompensationList SIM_ResolveToolTableCompensation(Render* view, SIM_ToolTableRecord* table) {
  const SIM_CompensationList none{0, nullptr};
  if (!table) return none;
  return api::onView(view, none, none, [&](Render& v) {
    view::JobData& job = v.job();
    if (api::checkToolTable(*table, job.units.scale.load()) != 0) return none;
    view::HostAnswers& out = job.answers;
    std::lock_guard answer(out.compensationMutex);
    try {
      // The machine's holders are swapped under the table lock by remounts.
      std::shared_lock tableLock(job.toolTableLock);
      out.compensation = tools::resolveCompensation(*table, job.units.scale.load(), job.machineHolders());
    } catch (const std::exception&) {
      out.compensation.clear();
    }
    return SIM_CompensationList{out.compensation.size(), out.compensation.empty() ? nullptr : out.compensation.data()};
  });
}

SIM_EXPORT int32_t SIM_MountMachineSlots(Render* view, uint32_t count, const uint32_t* slots, const uint32_t* tools) {
  return api::onView(view, [&](Render& v) {
    if (count == 0) return 0;
    if (!slots || !tools) return int32_t{SIM_STATUS_BAD_ARRAY};
    view::JobData& job = v.job();
    std::unique_lock lock(job.toolTableLock);
    job.toolTable().mountSlots(std::span(slots, count), std::span(tools, count));
    // The machine mounts the tools again: holders follow the slots.
    if (job.hasMachineHolders()) {
      try {
        job.toolTable().remount(job.machineHolders());
      } catch (const std::exception&) {
        job.toolTable().rebuild(SIM_ToolTableRecord{}, 1.0, job.machineHolders());
      }
      ++job.toolsVersion;
    }
    return 0;
  });
}

}  // extern "C"
