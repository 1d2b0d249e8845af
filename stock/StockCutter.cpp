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

std::vector<PartHit> StockCutter::partHits(const CutPath& path) {
  const toolpath::Toolpath::GPUToolpath& moves = path.moves();
  std::vector<PartHit> hits;
  if (moves.records().empty()) return hits;
  const size_t lastRecord = moves.records().size() - 1;
  for (const RecordHit& hit : mill_.partHits()) {
    if (hit.record == 0 || hit.record > lastRecord) continue;
    // Where along the move: the record is one chord of it.
    const uint32_t move = moves.moveOfRecord(hit.record);
    const uint32_t first = move == 0 ? 1 : moves.endRecordOf(move - 1) + 1;
    const float chords = static_cast<float>(moves.endRecordOf(move) - first + 1);
    const float from = (static_cast<float>(hit.record - first) + hit.from) / chords;
    const float to = (static_cast<float>(hit.record - first) + hit.to) / chords;
    if (!hits.empty() && hits.back().move == move) {
      hits.back().slots |= hit.slots;
      hits.back().to = std::max(hits.back().to, to);
    } else {
      hits.push_back({move, hit.slots, from, to});
    }
  }
  return hits;
}

void StockCutter::cutMoves(StockGrid& grid, const CutPath& path, uint32_t first, uint32_t end,
                           const CutSwitches& switches, uint32_t firstRecord) {
  const ToolAssignment& tools = path.tools();
  const toolpath::Toolpath::GPUToolpath& moves = path.moves();
  pathSerial_ = path.serial();
  end = std::min<uint32_t>({end, static_cast<uint32_t>(moves.moveCount()), static_cast<uint32_t>(tools.toolOfMove.size())});
  // Runs of moves with one tool, leaving one owner code, go out in one cut
  // each.
  for (uint32_t m = first; m < end;) {
    const int32_t tool = tools.toolOfMove[m];
    const auto sameRun = [&](uint32_t k) {
      return tools.toolOfMove[k] == tool && (tool < 0 || tools.ownerOf(k, tool) == tools.ownerOf(m, tool));
    };
    uint32_t stop = m + 1;
    while (stop < end && sameRun(stop)) ++stop;
    assert(tool < static_cast<int32_t>(tools.cutRecords.size()));
    if (tool >= 0) {
      const uint32_t runStart = std::max(firstRecord, m == 0 ? 1 : moves.endRecordOf(m - 1) + 1);
      const uint32_t endRecord = moves.endRecordOf(stop - 1) + 1;
      mill_.cut(grid, path.stream(), runStart, endRecord, tools.cutRecords[tool], tools.ownerOf(m, tool), switches,
                std::nullopt, &tools.parts[tool]);
    }
    m = stop;
  }
}

std::vector<std::pair<uint32_t, uint32_t>> StockCutter::wholeMoveRanges() const {
  std::vector<std::pair<uint32_t, uint32_t>> ranges = batchRanges_;
  if (cutMoves_ > 0) ranges.emplace_back(0, cutMoves_);
  std::sort(ranges.begin(), ranges.end());
  std::vector<std::pair<uint32_t, uint32_t>> merged;
  for (const auto& range : ranges) {
    if (range.first >= range.second) continue;
    if (!merged.empty() && range.first <= merged.back().second)
      merged.back().second = std::max(merged.back().second, range.second);
    else
      merged.push_back(range);
  }
  return merged;
}

void StockCutter::cutBatch(StockGrid& grid, const CutPath& path, uint32_t first, uint32_t end, int64_t move,
                           double fraction, const CutSwitches& switches) {
  // The playback's partial move goes first; the next frame cuts it again.
  undoPartialState(grid);
  lastFraction_ = -1;
  cutMoves(grid, path, first, end, switches);
  batchEnd_ = std::max(batchEnd_, std::min<uint32_t>(end, static_cast<uint32_t>(path.moves().moveCount())));
  if (first < end) batchRanges_.emplace_back(first, std::min<uint32_t>(end, static_cast<uint32_t>(path.moves().moveCount())));
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
  lastMove_ = move;
  lastFraction_ = fraction;
  // Played past a batch: playback cuts all of it again anyway.
  if (static_cast<uint32_t>(std::min<int64_t>(move, path.moveCount())) >= batchEnd_) batchEnd_ = 0;
  const uint32_t current = static_cast<uint32_t>(std::min<int64_t>(move, path.moveCount() - 1));
  fraction = std::clamp(fraction, 0.0, 1.0);
  const int32_t tool = current < tools.toolOfMove.size() ? tools.toolOfMove[current] : -1;

  // Where the tool stands: inside the chord (record) under way, at t.
  const uint32_t startRecord = current == 0 ? 0 : path.endRecordOf(current - 1);
  const uint32_t records = path.endRecordOf(current) - startRecord;
  const double position = fraction * records;
  const uint32_t whole = std::min<uint32_t>(static_cast<uint32_t>(std::floor(position)), records - 1);
  const bool underWay = fraction > 0.0 && fraction < 1.0 && tool >= 0;
  const uint32_t chord = underWay ? startRecord + whole + 1 : 0;
  const float t = static_cast<float>(position - whole);
  // The pieces cut of the chord under way stay while the tool moves on
  // along it; once it is left (or cut in full) they are taken back out.
  const bool sameChord = chord != 0 && chord == partialChord_ && t >= partialT_;
  if (!sameChord) undoPartialState(grid);

  if (current > cutMoves_) {
    cutMoves(grid, cutPath, cutMoves_, current, switches, chordsCutOf(cutMoves_));
    cutMoves_ = current;
  }
  if (fraction >= 1.0) {
    cutMoves(grid, cutPath, current, current + 1, switches, chordsCutOf(current));
    cutMoves_ = std::max(cutMoves_, current + 1);
    return true;
  }
  if (!underWay) return true;
  // Chords played in full are cut once, not again from the move's start
  // every frame.
  if (chordsMove_ != current) {
    chordsMove_ = current;
    chordsEnd_ = startRecord + 1;
  }
  const uint32_t chordsFirst = std::max(chordsEnd_, startRecord + 1);
  chordsEnd_ = std::max(chordsEnd_, chord);
  mill_.cut(grid, cutPath.stream(), chordsFirst, chordsEnd_, tools.cutRecords[tool], tools.ownerOf(current, tool), switches,
            std::nullopt, &tools.parts[tool]);
  partialChord_ = chord;
  partialTool_ = tool;
  partialT_ = t;
  return true;
}

void StockCutter::settle(StockGrid& grid, const CutPath& cutPath, const CutSwitches& switches) {
  if (partialChord_ == 0 || partialT_ <= settledT_ || cutPath.serial() != pathSerial_) return;
  const auto& r = cutPath.moves().records();
  const ToolAssignment& tools = cutPath.tools();
  if (partialChord_ >= r.size() || partialTool_ < 0 || static_cast<size_t>(partialTool_) >= tools.cutRecords.size())
    return;
  const toolpath::GPUMoveRecord& from = r[partialChord_ - 1];
  const toolpath::GPUMoveRecord& to = r[partialChord_];
  PartialMove wholeChord;
  wholeChord.type = to.type & toolpath::kShaderTypeBits;
  wholeChord.start = {from.x, from.y, from.z};
  wholeChord.end = {to.x, to.y, to.z};
  wholeChord.axisFrom = {from.i, from.j, from.k};
  wholeChord.axisTo = {to.i, to.j, to.k};
  wholeChord.parameter = to.parameter;
  const tools::CutRecord& tool = tools.cutRecords[partialTool_];
  if (!held_) {
    mill_.holdForUndo(grid, wholeChord, tool);
    held_ = true;
  }
  // From where the pieces end to the tool.
  auto at = [&](float u) { return wholeChord.start + u * (wholeChord.end - wholeChord.start); };
  auto axisAt = [&](float u) { return wholeChord.axisFrom + u * (wholeChord.axisTo - wholeChord.axisFrom); };
  PartialMove piece = wholeChord;
  piece.start = at(settledT_);
  piece.end = at(partialT_);
  piece.axisFrom = axisAt(settledT_);
  piece.axisTo = axisAt(partialT_);
  settledT_ = partialT_;
  const uint32_t owner = tools.ownerOf(cutPath.moves().moveOfRecord(partialChord_), partialTool_);
  mill_.cut(grid, cutPath.stream(), partialChord_, partialChord_, tool, owner, switches, piece);
}

}  // namespace stock
