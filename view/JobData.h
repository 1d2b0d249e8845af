#pragma once
// The job of one view as host calls hand it over: toolpath snapshots,
// stocks and geometries, the tool table, host units and settings the cut
// follows, and what getters hand back until their next call.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>

#include <glm/mat3x3.hpp>

#include "camera/DisplayFrame.h"
#include "korvane/Korvane.h"
#include "machine/Kinematics.h"
#include "machine/ViewMachine.h"
#include "platform/ExtractedFiles.h"
#include "stock/StockCollection.h"
#include "toolpath/PublishedToolpath.h"
#include "toolpath/ToolpathDisplaySettings.h"
#include "tools/ToolTable.h"
#include "view/CompareSetting.h"
#include "view/CuttingPlaneSetting.h"
#include "view/HostAnswers.h"
#include "view/StockRemoval.h"

namespace view {

// Millimetres (unit 0) or inches (any other unit).
struct HostUnits {
  std::atomic<uint32_t> unit{0};
  std::atomic<double> scale{1.0};
  void set(uint32_t newUnit) {
    unit = newUnit;
    scale = newUnit == 0 ? 1.0 : 25.4;
  }
  // Decimals the interface shows (SIM_SetDecimals); until the host sets
  // them, 3 in millimetres and 4 in inches.
  std::atomic<int> decimals{-1};
  int decimalsShown() const {
    const int d = decimals.load();
    return d >= 0 ? d : unit.load() == 0 ? 3 : 4;
  }
};

// Animation display modes the view accepts (what part of the toolpath is
// shown while playing).
constexpr bool isToolpathMode(uint32_t mode) {
  return mode <= SIM_TOOLPATH_MODE_CURRENT_OPERATION;
}

class JobData {
 public:
  JobData();
  ~JobData();

  toolpath::PublishedToolpath toolpath;
  stock::StockCollection stocks;

  // The machine, its lock (ViewLocks' machine lock) and origin.
  machine::ViewMachine machine;
  // The frame the scene is shown in (program coordinates to the Y-up display
  // frame): the host's axes turned to the machine's (SIM_SetAxisTransformation),
  // then the machine's kind's frame (Z up without a machine).
  glm::dmat3 displayFrame() const {
    std::lock_guard lock(displayFrameMutex_);
    return displayFrame_ * hostToMachine_;
  }
  void setDisplayFrame(const glm::dmat3& frame) {
    std::lock_guard lock(displayFrameMutex_);
    displayFrame_ = frame;
  }
  void setHostAxes(const glm::dmat3& hostToMachine) {
    std::lock_guard lock(displayFrameMutex_);
    hostToMachine_ = hostToMachine;
  }
  glm::dmat3 hostAxes() const {
    std::lock_guard lock(displayFrameMutex_);
    return hostToMachine_;
  }
  // The machine's kinematics; the identity until a machine is loaded.
  std::shared_ptr<const machine::Kinematics> kinematics() const { return machine.kinematics(); }

  // The tool table, under toolTableLock: shared to read, exclusive to load.
  std::shared_mutex toolTableLock;
  tools::ToolTable& toolTable() { return toolTable_; }
  const tools::ToolTable& toolTable() const { return toolTable_; }
  // The machine's holders, under toolTableLock; none until a machine is
  // loaded.
  const tools::MachineHolders& machineHolders() const {
    return machineHolders_ ? *machineHolders_ : noMachineHolders_;
  }
  bool hasMachineHolders() const { return machineHolders_ != nullptr; }
  // Takes the machine's mounts and holder models as they are now and builds
  // the tool table on them again; after a machine or model load.
  void remountTools();

  // What the cut path follows besides the toolpath snapshot: each count
  // goes up with a tool table load and a chord tolerance applied at once.
  std::atomic<uint64_t> toolsVersion{0};
  std::atomic<uint64_t> precisionVersion{0};
  HostUnits units;
  // Chord tolerance of models and of the cut path, millimetres.
  std::atomic<double> geometryPrecision{0.01};
  std::atomic<uint32_t> toolpathMode{0};
  toolpath::ToolpathDisplaySettings toolpathDisplay;
  CuttingPlaneSetting cuttingPlane;
  CompareSetting stockCompare;
  StockRemoval stockRemoval;
  std::atomic<uint8_t> loadingToolpath{0};
  // The stand-alone viewer program a presentation bundle packs.
  std::mutex viewerProgramMutex;
  std::string viewerProgram;
  HostAnswers answers;
  // The model files of the simulation file loaded last, in a folder that
  // lasts as long as the view or until the next load.
  std::mutex loadedFilesMutex;
  std::optional<platform::ExtractedFiles> loadedFiles;

 private:
  tools::ToolTable toolTable_;
  tools::NoMachineHolders noMachineHolders_;
  std::shared_ptr<const tools::MachineHolders> machineHolders_;
  mutable std::mutex displayFrameMutex_;
  glm::dmat3 displayFrame_ = camera::defaultAxisTransformation();
  glm::dmat3 hostToMachine_{1.0};
};

}  // namespace view
