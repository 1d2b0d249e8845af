#pragma once
// Cuts moves out of a stock lattice with one milling tool, on the GPU. A cut
// takes a range of a move stream that is already on the GPU: only the chunk
// index of that range is sent (each move's share of the sweep-box rays in
// chunks, a chunk being one work group of the program that cuts, one ray
// per invocation: 128, or 32 on a software renderer for the shapes that set
// their moves up per invocation), then batches of chunks are dispatched, and
// the report of moves that removed material while rapid or with the spindle
// stopped is read back for the range.
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <glm/vec3.hpp>

#include "gpu/SSBO.h"
#include "gpu/UniformBuffer.h"
#include "stock/MillPrograms.h"
#include "stock/MoveStream.h"
#include "stock/PartialUndo.h"
#include "stock/StockCollisionCheck.h"
#include "stock/StockGrid.h"
#include "stock/TurningCut.h"
#include "tools/CutRecords.h"

namespace stock {

struct CutSwitches {
  bool applyRapidMoves = true;
  bool reportRapidMoves = false;
  uint32_t stoppedSpindleMode = 1;  // 0 no cut, 1 tool colour, 2 rapid colour
  bool reportSpindleStoppedMoves = false;
  // Set when the view closes: a cut stops between dispatches.
  const std::atomic<bool>* stop = nullptr;
  // Every ray of a sweep box intersected, even where it holds no material
  // near the sweep: the same result, slower; for comparisons.
  bool cutEveryRay = false;
  // Turning: a quarter of the columns stands for all four when the lathe
  // axis lies at the grid's centre (off: every column computed).
  bool turningSymmetry = true;
  // The tool's non-cutting parts are checked against the stock the cut
  // leaves (see StockCollisionCheck) when the cut is given them.
  bool checkParts = true;
};

// The move being played, cut up to where the tool stands now.
struct PartialMove {
  uint32_t type = toolpath::kMoveCut;
  glm::vec3 start{0.0f}, end{0.0f};
  glm::vec3 axisFrom{0.0f, 0.0f, 1.0f}, axisTo{0.0f, 0.0f, 1.0f};
  float parameter = 0.0f;  // the record's: a turning insert's side
};

class MillCut {
 public:
  // A cut goes out in pieces whose chunks a 32-bit count holds; well below
  // that, so that the partial move's chunks fit after them.
  static constexpr uint64_t kChunksPerPiece = uint64_t{1} << 31;

  // Chunks of 128 rays per dispatch (a program of smaller groups takes as
  // many rays): a software renderer takes about a tenth of a second for
  // this many, and a stop request waits for no more than one.
  static constexpr uint32_t kChunksPerDispatch = 2048;

  // With the parts checked, a cut goes out in groups of this many records,
  // each cut and then checked: a part is tested against the stock its own
  // move and the others of its group leave, so material a later move of
  // the group takes away is not seen.
  static constexpr uint32_t kRecordsPerCheck = 256;

  explicit MillCut(uint64_t chunksPerPiece = kChunksPerPiece, uint32_t chunksPerDispatch = kChunksPerDispatch)
      : chunksPerPiece_(chunksPerPiece), chunksPerDispatch_(chunksPerDispatch) {}

  // Render thread. Cuts the moves ending at records [firstEnd, endEnd) of
  // the stream and, when given, the partial move, with one tool; the grid's
  // buffers must be allocated. Turning inserts cut with TurningCut's
  // passes; other shapes without a mill shader cut nothing. With parts
  // (and the switch on), the tool's non-cutting parts are checked along the
  // whole moves; the partial move is not.
  // False when the switches' stop flag ended it early.
  bool cut(StockGrid& grid, const MoveStream& stream, uint32_t firstEnd, uint32_t endEnd,
           const tools::CutRecord& tool, uint32_t colourIndex, const CutSwitches& switches,
           const std::optional<PartialMove>& partial = std::nullopt, const CheckedParts* parts = nullptr);
  // The records whose parts met the stock, since the last clearReport.
  // Reading waits for the GPU.
  const std::vector<RecordHit>& partHits() { return collisions_.hits(); }

  // Moves (end record indices) that removed material while rapid or with the
  // spindle stopped, from every cut since the last clearReport. Reading
  // waits for the GPU, so it happens when asked, not after every cut.
  const std::vector<uint32_t>& reportedMoves() {
    readReport();
    return reported_;
  }
  void clearReport();
  // Render thread: keeps what the sweep box of move holds, so that partial
  // cuts of it can be taken back out by undoPartial (which restores it);
  // forgetPartial when the grid was made anew.
  void holdForUndo(StockGrid& grid, const PartialMove& move, const tools::CutRecord& tool);
  void undoPartial(StockGrid& grid);
  void forgetPartial() { partialUndo_.forget(); }
  // Render thread: gives the buffers back; the next cut makes them again.
  void release();

 private:
  // The chunk index of the range: entry k counts the chunks of the moves of
  // the range that end before record k. Entries outside the range stay 0
  // and the shaders search no further than the range's end.
  struct RangeIndex {
    uint32_t firstChunk = 0, endChunk = 0, extraChunks = 0;
    uint32_t elementCount = 0;
  };
  // One program's go at a range: the chunks of each move of the range, of
  // the partial move, and how to bind the program with its tool.
  struct Pass {
    std::vector<uint32_t> chunks;
    uint32_t extra = 0;
    std::function<const gpu::BaseToolShader*()> bind;
    // A check binds its fields after the cut's buffers and reports nothing
    // of the cut's.
    std::function<void()> bindFields;
    bool cuts = true;
  };
  // The stock check of parts over [firstEnd, endEnd) (see StockCollisionCheck).
  bool check(StockGrid& grid, const MoveStream& stream, uint32_t firstEnd, uint32_t endEnd, const CheckedParts& parts,
             const CutSwitches& switches);
  bool run(StockGrid& grid, const MoveStream& stream, uint32_t firstEnd, uint32_t endEnd, const Pass& pass,
           const CutSwitches& switches, const std::optional<PartialMove>& partial);
  bool cutTurning(StockGrid& grid, const MoveStream& stream, uint32_t firstEnd, uint32_t endEnd,
                  const tools::CutRecord& tool, uint32_t colourIndex, const CutSwitches& switches,
                  const std::optional<PartialMove>& partial);
  // chunks[i] belongs to the move ending at record chunksFrom + i.
  RangeIndex writeIndex(const std::vector<uint32_t>& chunks, uint32_t chunksFrom, uint32_t firstEnd, uint32_t endEnd,
                        size_t streamSize);
  const gpu::BaseToolShader* bindTool(const tools::CutRecord& tool, uint32_t colourIndex);
  void setCommonUniforms(const gpu::BaseToolShader& program, const StockGrid& grid, const RangeIndex& range,
                         const CutSwitches& switches, const std::optional<PartialMove>& partial) const;
  void bindBuffers(StockGrid& grid, const MoveStream& stream);
  bool dispatch(const gpu::BaseToolShader& program, const RangeIndex& range, const CutSwitches& switches) const;
  void readReport();
  void sizeReport(size_t records);

  uint64_t chunksPerPiece_;
  uint32_t chunksPerDispatch_;
  PartialUndo partialUndo_;
  uint32_t unreadFirst_ = UINT32_MAX, unreadEnd_ = 0;  // end records cut since the report was read
  MillPrograms programs_;
  TurningCut turning_;
  StockCollisionCheck collisions_;
  std::optional<gpu::SSBO> chunkIndex_, reportBits_;
  std::optional<gpu::UniformBuffer> profileBlock_;
  uint32_t indexWrittenFrom_ = 0, indexWrittenTo_ = 0;  // entries to clear before the next cut
  std::vector<uint32_t> reportWords_;
  std::vector<uint32_t> reported_;
};

// The nodes of a move's sweep box, one cell wider on every side than the
// shaders' own; none for a box outside the lattice.
std::optional<NodeBox> sweepNodes(const GridFrame& frame, const glm::dvec3& start, const glm::dvec3& end,
                                  const glm::dvec3& axis, double radius, double length, double bottom = 0);
// Rays of a move's sweep box (a generous count: the shaders find no ray
// past the box they compute).
uint64_t sweepRays(const GridFrame& frame, const glm::dvec3& start, const glm::dvec3& end, const glm::dvec3& axis,
                   double radius, double length, double bottom = 0);
// The rays of one direction that cross every node of the box: those along
// its longest side (what the stock check tests).
uint64_t sweepRaysOneWay(const GridFrame& frame, const glm::dvec3& start, const glm::dvec3& end,
                         const glm::dvec3& axis, double radius, double length, double bottom = 0);

}  // namespace stock
