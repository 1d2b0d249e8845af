#pragma once
// The job data of one view that host calls hand over: toolpath, stocks and
// geometries, host units, the playback position a host call asks for, and
// what getters hand back until their next call.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "machine/Kinematics.h"
#include "stock/StockCollection.h"
#include "toolpath/Toolpath.h"
#include "tools/ToolTable.h"

namespace view {

// Millimetres (unit 0) or inches (any other unit).
struct HostUnits {
  std::atomic<uint32_t> unit{0};
  std::atomic<double> scale{1.0};
  void set(uint32_t newUnit) {
    unit = newUnit;
    scale = newUnit == 0 ? 1.0 : 25.4;
  }
};

// Host calls write a time fraction to pending; the render thread moves the
// playback there at its next frame and empties it (-1).
struct PlaybackRequest {
  std::atomic<double> pending{-1.0};
  std::atomic<double> position{0.0};  // current playback position, a time fraction
  std::atomic<double> speed{0.58};    // the speed slider: real time
  std::atomic<bool> playing{false};
};

// Arrays and texts that getters return; each stays valid until the next
// call of the same getter.
struct GetterResults {
  std::mutex stockMutex, stockListMutex, geometryMutex, geometryListMutex, toolTableMutex, compensationMutex;
  stock::StockRecords stock, stockList;
  stock::GeometryRecords geometry, geometryList;
  std::vector<SIM_ToolRecord> tools;
  std::vector<SIM_HolderRecord> holders;
  std::vector<SIM_CompensationResult> compensation;
};

// Animation display modes the view accepts (what part of the toolpath is
// shown while playing).
constexpr bool isToolpathMode(uint32_t mode) { return mode <= 8 || mode == 10; }

class JobData {
 public:
  JobData();
  ~JobData();

  // Null until the first toolpath arrives; then the same object for the
  // view's lifetime.
  toolpath::Toolpath* toolpath() const { return toolpath_.load(); }
  toolpath::Toolpath& ensureToolpath();
  stock::StockCollection* stocks() const { return stocks_.load(); }
  stock::StockCollection& ensureStocks();

  // The machine's kinematics; the identity until a machine is loaded.
  const machine::Kinematics& kinematics() const { return *kinematics_; }
  // Under the view's tool-table lock: shared to read, exclusive to load.
  tools::ToolTable& toolTable() { return toolTable_; }
  const tools::ToolTable& toolTable() const { return toolTable_; }
  // The machine's holders; none until a machine is loaded.
  const tools::MachineHolders& machineHolders() const { return noMachineHolders_; }
  // The tool table's orientations (under the tool-table lock).
  const toolpath::ToolOrientationSource* toolOrientations() const { return &toolTable_; }

  HostUnits units;
  // Chord tolerance of models and of the cut path, millimetres.
  std::atomic<double> geometryPrecision{0.01};
  PlaybackRequest playback;
  std::atomic<uint32_t> toolpathMode{0};
  std::atomic<uint8_t> loadingToolpath{0};
  // Raised by host calls; the render thread refreshes what they name.
  std::atomic<uint8_t> toolpathChanged{0};
  std::atomic<uint8_t> stockChanged{0};
  // Raised by a tool table load: cut records and tool shapes are new.
  std::atomic<uint8_t> toolsChanged{0};
  GetterResults results;

 private:
  std::mutex creation_;
  std::unique_ptr<toolpath::Toolpath> toolpathOwner_;
  std::atomic<toolpath::Toolpath*> toolpath_{nullptr};
  std::unique_ptr<stock::StockCollection> stocksOwner_;
  std::atomic<stock::StockCollection*> stocks_{nullptr};
  std::unique_ptr<machine::Kinematics> kinematics_;
  tools::ToolTable toolTable_;
  tools::NoMachineHolders noMachineHolders_;
};

}  // namespace view
