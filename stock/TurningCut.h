#pragma once
// Cutting with a turning insert. The work turns about the grid's z axis
// through the grid point of the toolpath origin; the insert moves in the
// (z, x) plane of the toolpath. Each run of moves goes out twice, once for
// the Z rays (a column per invocation) and once for the X and Y rays
// (layers across the axis), and when the lathe axis lies exactly along a
// grid axis a part-off follows: material that an empty layer separates
// from the rest, at the free end (+z, away from the chuck), falls away.
//
// The move records' parameter is the insert side (-1 or 0 the outline as
// the tool gives it, +1 mirrored across the axial direction); the tool
// axis in the records points from the tip into the holder, +X for an
// insert cutting from the +X side.
#include <cstdint>
#include <memory>
#include <optional>

#include <glm/mat4x4.hpp>

#include "gpu/TurningToolShaders.h"
#include "gpu/UniformBuffer.h"
#include "stock/GridFrame.h"
#include "stock/StockGrid.h"
#include "toolpath/GPUMoveRecord.h"
#include "tools/CutRecords.h"

namespace stock {

enum class TurningPass { ZRays, XYRays };

bool isTurningShape(uint32_t shape);

// The axial layers (grid z, inclusive) that the insert's sweep from record
// from to record to can touch: the shaders' box with one layer more on
// each side; none when it misses the grid.
struct LayerRange {
  uint32_t first = 0, last = 0;
};
std::optional<LayerRange> turningLayers(const GridFrame& frame, const toolpath::GPUMoveRecord& from,
                                        const toolpath::GPUMoveRecord& to, const tools::CutRecord& tool);

// Chunks of 128 invocations the pass needs for the move.
uint32_t turningChunks(const GridFrame& frame, const toolpath::GPUMoveRecord& from, const toolpath::GPUMoveRecord& to,
                       const tools::CutRecord& tool, TurningPass pass, bool symmetric);

// The lathe axis sits at the grid's centre across it: a quarter of the
// columns stands for all four.
bool axisCentred(const GridFrame& frame);

// The part-off's axis code (0 ... 5: axis mod 3, 0 ... 2 free towards the
// positive end) for the lathe axis the toolpath's z becomes in the grid;
// none when that axis is tilted, so that no layer lies across it.
std::optional<uint32_t> partingAxisOf(const glm::dmat4& toolpathToGrid);

class TurningCut {
 public:
  TurningCut();
  ~TurningCut();
  TurningCut(const TurningCut&) = delete;
  TurningCut& operator=(const TurningCut&) = delete;

  // Render thread: binds the pass's program with the insert's uniforms.
  const gpu::BaseToolShader* bind(TurningPass pass, const tools::CutRecord& tool, uint32_t colourIndex,
                                  bool symmetric);
  // Render thread: clears what an empty layer across the lathe axis
  // separated at the free end; nothing for a tilted axis.
  void partOff(StockGrid& grid);
  void release();

 private:
  std::unique_ptr<gpu::TurningToolZShader> zRays_;
  std::unique_ptr<gpu::TurningToolXYShader> xyRays_;
  std::unique_ptr<gpu::PartingPlaneShader> parting_;
  std::optional<gpu::UniformBuffer> insert_;
};

}  // namespace stock
