// The render thread's side of cutting: the toolpath's cut records, and every
// stock kept cut up to the playback position.
#include <mutex>
#include <shared_mutex>

#include "stock/StockModel.h"
#include "toolpath/GPUToolpath.h"
#include "view/Render.h"

void Render::refreshCutPath() {
  toolpath::Toolpath* path = job_.toolpath();
  if (!path) {
    cutPath_.reset();
    cutTools_.reset();
    return;
  }
  std::shared_lock tools(locks_.toolTable);
  cutPath_ = std::make_shared<const toolpath::Toolpath::GPUToolpath>(
      toolpath::Toolpath::GPUToolpath::build(*path, job_.kinematics(), job_.geometryPrecision.load()));
  cutTools_ = std::make_unique<stock::ToolAssignment>(stock::ToolAssignment::build(*path, job_.toolTable()));
}

void Render::updateCuts(double now) {
  if (!stockScene_ || !job_.toolpath()) return;
  std::unique_lock view(locks_.view, std::try_to_lock);
  if (!view.owns_lock()) return;
  const bool pathChanged = (job_.toolpathChanged.exchange(0) | job_.toolsChanged.exchange(0)) != 0;
  const bool recut = job_.stockChanged.exchange(0) != 0 || pathChanged;
  if (pathChanged || !cutPath_) refreshCutPath();
  if (!cutPath_ || !cutTools_) return;

  const toolpath::PositionAtFraction at =
      job_.toolpath()->positionAt(job_.playback.position.load(), toolpath::Measure::Time);
  bool cut = false;
  for (const auto& model : stockScene_->models()) {
    if (!model->built()) continue;
    stock::StockCutter& cutter = model->cutter();
    // Earlier moves, or other moves, to cut: the uncut stock first.
    if ((recut && !cutter.fresh()) || cutter.needsRebuild(at.move, at.fraction)) {
      model->rebuild(deviceLimits_);
      if (!model->built()) continue;
    }
    if (cutter.cutTo(model->grid(), *cutPath_, *cutTools_, at.move, at.fraction, stock::CutSwitches{})) {
      model->markChanged();
      cut = true;
    }
    cut = cut || recut;
  }
  if (cut) {
    lastActivity_ = now;
    redrawRequested_ = 1;
  }
}

void Render::cutStockMoves(uint32_t first, uint32_t end) {
  updateStock(seconds() * 1000.0);  // stocks defined in the same breath are built first
  if (!stockScene_ || !job_.toolpath()) return;
  std::unique_lock view(locks_.view);
  if (!cutPath_) refreshCutPath();
  if (!cutPath_ || !cutTools_) return;
  const toolpath::PositionAtFraction at =
      job_.toolpath()->positionAt(job_.playback.position.load(), toolpath::Measure::Time);
  for (const auto& model : stockScene_->models()) {
    if (!model->built()) continue;
    model->cutter().cutBatch(model->grid(), *cutPath_, *cutTools_, first, end, at.move, at.fraction,
                             stock::CutSwitches{});
    model->markChanged();
  }
  redrawRequested_ = 1;
}
