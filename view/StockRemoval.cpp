#include "view/StockRemoval.h"

namespace view {

SIM_StockRemovalSettings StockRemoval::defaults() {
  SIM_StockRemovalSettings s{};
  s.stockShown = 1;
  s.cutFacesMarked = 1;
  s.stoppedSpindleCut = 1;
  s.followMode = 1;
  return s;
}

StockRemoval::StockRemoval() : record_(defaults()) { record_.stockShown = record_.cutFacesMarked = 0; }

bool StockRemoval::set(const SIM_StockRemovalSettings& record) {
  std::lock_guard lock(mutex_);
  SIM_StockRemovalSettings next = record;
  next.stockShown = next.cutFacesMarked = 0;
  next.colourByTool = next.colourByOperation ? 0 : next.colourByTool != 0;
  next.colourByOperation = next.colourByOperation != 0;
  next.rapidsPass = next.rapidsPass != 0;
  next.smoothShading = next.smoothShading != 0;
  next.removeChips = next.removeChips != 0;
  next.padding6[0] = next.padding6[1] = next.padding14[0] = next.padding14[1] = 0;
  const bool cutChanged = next.rapidsPass != record_.rapidsPass ||
                          next.stoppedSpindleCut != record_.stoppedSpindleCut ||
                          next.colourByOperation != record_.colourByOperation;
  const bool changed = cutChanged || next.colourByTool != record_.colourByTool || next.followMode != record_.followMode ||
                       next.smoothShading != record_.smoothShading || next.removeChips != record_.removeChips;
  record_ = next;
  if (cutChanged) ++cutRevision_;
  return changed;
}

SIM_StockRemovalSettings StockRemoval::record() const {
  std::lock_guard lock(mutex_);
  return record_;
}

StockColourBy StockRemoval::colourBy() const {
  std::lock_guard lock(mutex_);
  return record_.colourByOperation ? StockColourBy::Operation
         : record_.colourByTool    ? StockColourBy::Tool
                                   : StockColourBy::Nothing;
}

void StockRemoval::setColourBy(StockColourBy by) {
  SIM_StockRemovalSettings next = record();
  next.colourByTool = by == StockColourBy::Tool;
  next.colourByOperation = by == StockColourBy::Operation;
  set(next);
}

}  // namespace view
