#include "stock/StockCutter.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace stock {

std::vector<uint32_t> StockCutter::reportedMoves(const CutPath& path) {
  std::vector<uint32_t> moves;
  for (uint32_t record : mill_.reportedMoves()) {
    if (record == 0 || record > path.moves().records().size() - 1) continue;
    const uint32_t move = path.moves().moveOfRecord(record);
    if (moves.empty() || moves.back() != move) moves.push_back(move);
  }
  return moves;
}

void StockCutter::cutMoves(StockGrid& grid, const CutPath& path, uint32_t first, uint32_t end,
                           const CutSwitches& switches) {
  const ToolAssignment& tools = path.tools();
  const toolpath::Toolpath::GPUToolpath& moves = path.moves();
  pathSerial_ = path.serial();
  end = std::min<uint32_t>({end, static_cast<uint32_t>(moves.moveCount()), static_cast<uint32_t>(tools.toolOfMove.size())});
  // Runs of moves with one tool go out in one cut each.
  for (uint32_t m = first; m < end;) {
    const int32_t tool = tools.toolOfMove[m];
    uint32_t stop = m + 1;
    while (stop < end && tools.toolOfMove[stop] == tool) ++stop;
    assert(tool < static_cast<int32_t>(tools.cutRecords.size()));
    if (tool >= 0) {
      const uint32_t firstRecord = m == 0 ? 1 : moves.endRecordOf(m - 1) + 1;
      const uint32_t endRecord = moves.endRecordOf(stop - 1) + 1;
      mill_.cut(grid, path.stream(), firstRecord, endRecord, tools.cutRecords[tool], tools.colours[tool], switches);
    }
    m = stop;
  }
}

void StockCutter::cutBatch(StockGrid& grid, const CutPath& path, uint32_t first, uint32_t end, int64_t move,
                           double fraction, const CutSwitches& switches) {
  // The playback's partial move goes first; the next frame cuts it again.
  mill_.undoPartial(grid);
  lastFraction_ = -1;
  cutMoves(grid, path, first, end, switches);
  batchEnd_ = std::max(batchEnd_, std::min<uint32_t>(end, static_cast<uint32_t>(path.moves().moveCount())));
  batchMove_ = move;
  batchFraction_ = fraction;
}

bool StockCutter::cutTo(StockGrid& grid, const CutPath& cutPath, int64_t move, double fraction,
                        const CutSwitches& switches) {
  const toolpath::Toolpath::GPUToolpath& path = cutPath.moves();
  const ToolAssignment& tools = cutPath.tools();
  if (path.moveCount() == 0 || move < 0) return false;
  pathSerial_ = cutPath.serial();
  if (move == lastMove_ && fraction == lastFraction_) return false;
  // What the last frame cut of a move under way is taken back first.
  mill_.undoPartial(grid);
  lastMove_ = move;
  lastFraction_ = fraction;
  // Played past a batch: playback cuts all of it again anyway.
  if (static_cast<uint32_t>(std::min<int64_t>(move, path.moveCount())) >= batchEnd_) batchEnd_ = 0;
  const uint32_t current = static_cast<uint32_t>(std::min<int64_t>(move, path.moveCount() - 1));
  if (current > cutMoves_) {
    // The chords of a move played in part before are cut again with it:
    // it is one run of records, and cutting them twice changes nothing.
    cutMoves(grid, cutPath, cutMoves_, current, switches);
    cutMoves_ = current;
  }
  fraction = std::clamp(fraction, 0.0, 1.0);
  if (fraction >= 1.0) {
    cutMoves(grid, cutPath, current, current + 1, switches);
    cutMoves_ = std::max(cutMoves_, current + 1);
    return true;
  }
  const int32_t tool = current < tools.toolOfMove.size() ? tools.toolOfMove[current] : -1;
  if (tool < 0 || fraction <= 0.0) return true;
  // The chords played in full, then the part of the chord under way.
  const uint32_t startRecord = current == 0 ? 0 : path.endRecordOf(current - 1);
  const uint32_t records = path.endRecordOf(current) - startRecord;
  const double position = fraction * records;
  const uint32_t whole = std::min<uint32_t>(static_cast<uint32_t>(std::floor(position)), records - 1);
  const auto& r = path.records();
  const toolpath::GPUMoveRecord& from = r[startRecord + whole];
  const toolpath::GPUMoveRecord& to = r[startRecord + whole + 1];
  // Chords played in full are cut once, not again from the move's start
  // every frame.
  if (chordsMove_ != current) {
    chordsMove_ = current;
    chordsEnd_ = startRecord + 1;
  }
  const uint32_t chordsFirst = std::max(chordsEnd_, startRecord + 1);
  chordsEnd_ = std::max(chordsEnd_, startRecord + whole + 1);
  const float t = static_cast<float>(position - whole);
  PartialMove partial;
  partial.type = to.type & toolpath::kShaderTypeBits;
  partial.start = {from.x, from.y, from.z};
  partial.end = partial.start + t * (glm::vec3(to.x, to.y, to.z) - partial.start);
  partial.axisFrom = {from.i, from.j, from.k};
  partial.axisTo = partial.axisFrom + t * (glm::vec3(to.i, to.j, to.k) - partial.axisFrom);
  mill_.cut(grid, cutPath.stream(), chordsFirst, chordsEnd_, tools.cutRecords[tool], tools.colours[tool], switches,
            partial);
  return true;
}

}  // namespace stock
