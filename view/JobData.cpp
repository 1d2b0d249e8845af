#include "view/JobData.h"

#include <exception>

#include "tools/MachineMounts.h"
#include "view/MachineStage.h"

namespace view {

JobData::JobData() = default;

JobData::~JobData() = default;

void JobData::remountTools() {
  std::shared_ptr<const tools::MachineHolders> mounts;
  {
    std::shared_lock read(machine.lock());
    if (const machine::Machine* m = machine.machine())
      mounts = std::make_shared<tools::MachineMounts>(*m, machine.meshes(), glm::vec3(kMachineColour));
  }
  std::unique_lock tools(toolTableLock);
  machineHolders_ = std::move(mounts);
  try {
    toolTable_.remount(machineHolders());
  } catch (const std::exception&) {
    // Out of memory rebuilding: the table is left without tools.
    toolTable_.rebuild(SIM_ToolTableRecord{}, 1.0, noMachineHolders_);
  }
  ++toolsVersion;
}

}  // namespace view
