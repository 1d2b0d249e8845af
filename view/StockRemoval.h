#pragma once
// How the stock takes material and shows it, as the host's stock removal
// record and the ribbon's colouring entries set it: rapid moves and cuts with
// the spindle stopped, the colour cut faces take (by tool, by operation or
// none), whether the move under way is cut as the tool moves, smooth shading
// and chip removal. Whether the stock is shown and its cut faces marked are
// the interface's and the view's own bytes. Any thread.
#include <atomic>
#include <cstdint>
#include <mutex>

#include "korvane/Korvane.h"

namespace view {

enum class StockColourBy : uint8_t { Nothing, Tool, Operation };

class StockRemoval {
 public:
  StockRemoval();
  // Bytes 2 to 13 of the record; true when any changed.
  bool set(const SIM_StockRemovalSettings& record);
  // The record with bytes 0 and 1 zero.
  SIM_StockRemovalSettings record() const;
  StockColourBy colourBy() const;
  void setColourBy(StockColourBy by);
  // Moves on whenever what a cut takes, or the colour it leaves, changes:
  // the stocks are cut again from the start.
  uint64_t cutRevision() const { return cutRevision_.load(); }

  static SIM_StockRemovalSettings defaults();

 private:
  mutable std::mutex mutex_;
  SIM_StockRemovalSettings record_;
  std::atomic<uint64_t> cutRevision_{0};
};

}  // namespace view
