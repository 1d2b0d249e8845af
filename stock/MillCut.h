#pragma once
// Cuts moves out of a stock lattice with one milling tool, on the GPU: the
// chunk index of the moves' sweep boxes, the batches of at most 65,535
// chunks, and the report of moves that removed material while rapid or with
// the spindle stopped.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include <glm/vec3.hpp>

#include "gpu/SSBO.h"
#include "toolpath/GPUMoveRecord.h"
#include "stock/StockGrid.h"
#include "tools/CutRecords.h"

namespace stock {

using toolpath::GPUMoveRecord;
using toolpath::kContinuation;
using toolpath::kMoveCut;
using toolpath::kMoveMarked;

struct CutSwitches {
  bool applyRapidMoves = true;
  bool reportRapidMoves = false;
  uint32_t stoppedSpindleMode = 1;  // 0 no cut, 1 tool colour, 2 rapid colour
  bool reportSpindleStoppedMoves = false;
};

// The move being played, cut up to where the tool stands now.
struct PartialMove {
  uint32_t type = kMoveCut;
  glm::vec3 start{0.0f}, end{0.0f};
  glm::vec3 axisFrom{0.0f, 0.0f, 1.0f}, axisTo{0.0f, 0.0f, 1.0f};
};

class MillCut {
 public:
  MillCut() = default;
  MillCut(MillCut&& other) noexcept;
  MillCut& operator=(MillCut&& other) noexcept;
  ~MillCut();
  // Invocations per chunk: one group of 128 rays.
  static constexpr uint32_t kInvocationsPerChunk = 128;

  // Render thread. Cuts the moves ending at records [firstEnd, endEnd) and,
  // when given, the partial move, with one tool; the grid's buffers must be
  // allocated. Shapes without a mill shader cut nothing.
  void cut(StockGrid& grid, std::span<const GPUMoveRecord> records, uint32_t firstEnd, uint32_t endEnd,
           const tools::CutRecord& tool, uint32_t colourIndex, const CutSwitches& switches,
           const std::optional<PartialMove>& partial = std::nullopt);

  // Moves (end record indices) that removed material while rapid or with the
  // spindle stopped, from every cut since the last clearReport.
  const std::vector<uint32_t>& reportedMoves() const { return reported_; }
  void clearReport();

 private:
  std::optional<gpu::SSBO> chunkIndex_, records_, reportBits_;
  std::optional<GLuint> profileBlock_;  // the tool's profile, a uniform block
  std::vector<uint32_t> reportWords_;
  std::vector<uint32_t> reported_;
};

// Rays of a move's sweep box (a generous count: the shaders find no ray
// past the box they compute).
uint64_t sweepRays(const GridFrame& frame, const glm::dvec3& start, const glm::dvec3& end, const glm::dvec3& axis,
                   double radius, double length, double bottom = 0);

}  // namespace stock
