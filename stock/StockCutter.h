#pragma once
// Keeps one stock lattice cut up to the playback position: every move not
// yet cut up to the position, with the tool of its run, plus the part of the
// current move played so far once the stock is shown (taken back out and
// cut in full once playback passes it).
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "stock/CutPath.h"
#include "stock/MillCut.h"
#include "stock/StockGrid.h"

namespace stock {

// A move whose non-cutting parts met the stock.
struct PartHit {
  uint32_t move = 0;
  uint32_t slots = 0;      // bit s: the part of slot s (shoulder, shaft, holder)
  float from = 0, to = 0;  // where along the move (0 ... 1)
};

class StockCutter {
 public:
  // The lattice was rebuilt: nothing of it is cut.
  void reset() {
    mill_.clearReport();
    cutMoves_ = 0;
    batchRanges_.clear();
    lastMove_ = -1;
    lastFraction_ = 0;
    batchEnd_ = 0;
    pathSerial_ = 0;
    chordsMove_ = -1;
    chordsEnd_ = 0;
    forgetPartialState();
    mill_.forgetPartial();
  }
  // Render thread: the lattice is gone; the buffers of the cut go too.
  void release() {
    mill_.release();
    reset();
  }
  // Nothing cut since the lattice was built.
  bool fresh() const { return cutMoves_ == 0 && lastMove_ < 0 && batchEnd_ == 0; }
  // What is cut came from another cut path (other moves or other tools).
  bool cutFromOther(const CutPath& path) const { return !fresh() && pathSerial_ != path.serial(); }
  // Moves cut in full: [0, movesCut()).
  uint32_t movesCut() const { return cutMoves_; }
  // What the lattice holds: the moves of these ranges in full ([0,
  // movesCut()) and every batch since the last reset, merged, ascending)
  // and the move played last up to its fraction.
  std::vector<std::pair<uint32_t, uint32_t>> wholeMoveRanges() const;
  int64_t lastMove() const { return lastMove_; }
  double lastFraction() const { return lastFraction_; }
  // Playing back to before what is cut needs fresh contents first.
  bool needsRebuild(int64_t move, double fraction) const {
    // A move played to its end is cut in full.
    const int64_t wholeMoves = fraction >= 1.0 ? move + 1 : move;
    if (wholeMoves < static_cast<int64_t>(cutMoves_)) return true;
    // A batch stays shown until the position moves to before its end.
    if (wholeMoves < static_cast<int64_t>(batchEnd_) && (move != batchMove_ || fraction != batchFraction_)) return true;
    return lastMove_ >= 0 && (move < lastMove_ || (move == lastMove_ && fraction < lastFraction_));
  }

  // Render thread: cuts up to fraction of move (moves before it in full);
  // true when the contents changed or will once settled. The part of the
  // chord under way is only noted: settle cuts it when the lattice is read.
  bool cutTo(StockGrid& grid, const CutPath& path, int64_t move, double fraction, const CutSwitches& switches);
  // Render thread, before the lattice is shown or exported: cuts the part of
  // the chord under way that cutTo noted. Frames nobody looks at (a busy or
  // headless view) skip it, and with it the save and restore that keep the
  // final stock independent of the frames.
  void settle(StockGrid& grid, const CutPath& path, const CutSwitches& switches);
  // Whether settle has a piece to cut.
  bool unsettled() const { return partialChord_ != 0 && partialT_ > settledT_; }
  // Render thread: cuts the toolpath moves [first, end) in full at once,
  // with the playback at (move, fraction); they stay cut until the position
  // moves to before end.
  void cutBatch(StockGrid& grid, const CutPath& path, uint32_t first, uint32_t end, int64_t move, double fraction,
                const CutSwitches& switches);

  MillCut& mill() { return mill_; }
  // The toolpath moves that removed material while rapid or with the
  // spindle stopped, in move order, from every cut since the last rebuild.
  std::vector<uint32_t> reportedMoves(const CutPath& path);
  // The toolpath moves whose non-cutting parts met the stock, in move
  // order, from every cut since the last rebuild. Waits for the GPU.
  std::vector<PartHit> partHits(const CutPath& path);

 private:
  // The chord under way is forgotten; what of it was cut is taken back out.
  void undoPartialState(StockGrid& grid) {
    mill_.undoPartial(grid);
    forgetPartialState();
  }
  void forgetPartialState() {
    partialChord_ = 0;
    partialTool_ = -1;
    partialT_ = 0;
    settledT_ = 0;
    held_ = false;
  }
  // Cuts the toolpath moves [first, end) in full, whatever was cut before,
  // from firstRecord on when that is later.
  void cutMoves(StockGrid& grid, const CutPath& path, uint32_t first, uint32_t end, const CutSwitches& switches,
                uint32_t firstRecord = 0);
  // Where the rest of move starts: the chords played of it in full are cut
  // already (cutting them again would change nothing but the time taken).
  uint32_t chordsCutOf(uint32_t move) const {
    return static_cast<int64_t>(move) == chordsMove_ ? chordsEnd_ : 0;
  }

  MillCut mill_;
  uint32_t cutMoves_ = 0;
  uint32_t batchEnd_ = 0;  // moves cut at once reach to here
  std::vector<std::pair<uint32_t, uint32_t>> batchRanges_;  // every batch since the last reset
  int64_t batchMove_ = -1;  // the position then
  double batchFraction_ = 0;
  int64_t lastMove_ = -1;  // the position cut last
  double lastFraction_ = 0;
  uint64_t pathSerial_ = 0;  // the cut path of what is cut
  int64_t chordsMove_ = -1;  // the move under way and the end of its chords cut in full
  uint32_t chordsEnd_ = 0;
  uint32_t partialChord_ = 0;  // end record of the chord under way, 0 for none
  int32_t partialTool_ = -1;   // and the tool cutting it
  float partialT_ = 0;         // how far along it the tool stands
  float settledT_ = 0;         // how far along it pieces are cut
  bool held_ = false;          // its sweep box is kept for the undo
};

}  // namespace stock
