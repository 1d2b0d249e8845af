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

namespace stock {

class MeshStockCreator {
 public:
  // Render thread. Replaces all contents of the grid, whose buffers must be
  // allocated. False when the mesh has no triangles (the grid stays empty)
  // or too much work to number.
  bool create(StockGrid& grid, const MeshShape& shape);

 private:
  void upload(const std::shared_ptr<const StockMesh>& mesh);
  void setMeshUniforms(unsigned program, const GridFrame& frame, const glm::mat4& toGrid) const;
  // Chunk counts per triangle for rays through boxes grown by expand cells,
  // summed into the work index; the total number of chunks, none when they
  // cannot be numbered in 32 bits.
  std::optional<uint64_t> splitWork(const GridFrame& frame, const glm::mat4& toGrid, int expand);
  void dispatchChunks(unsigned program, uint64_t chunks) const;
  void bindMesh() const;

  std::shared_ptr<const StockMesh> mesh_;
  uint32_t raysPerChunk_ = 16;
  std::optional<gpu::SSBO> vertices_, triangles_, neighbours_, workIndex_, raySpans_, insideBits_;
};

}  // namespace stock
