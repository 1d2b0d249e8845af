#pragma once
// Fills a lattice with the inside of a triangle mesh: signs from a vote of
// the rays through each node, spread into the undecided nodes, then the
// exact crossings of every triangle hit. The mesh and the scratch buffers
// stay for the next rebuild of the same stock.
#include <cstdint>
#include <memory>
#include <optional>

#include "gpu/SSBO.h"
#include "stock/StockGrid.h"
#include "stock/StockShape.h"
#include "stock/TriangleMeshBuffers.h"

namespace stock {

class MeshStockCreator {
 public:
  // Render thread. Replaces all contents of the grid, whose buffers must be
  // allocated. False when the mesh has no triangles (the grid stays empty)
  // or too much work to number.
  bool create(StockGrid& grid, const MeshShape& shape);

 private:
  TriangleMeshBuffers mesh_;
  std::optional<gpu::SSBO> raySpans_, insideBits_;
};

}  // namespace stock
