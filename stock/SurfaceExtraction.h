#pragma once
// The stock surface out of its lattice, on the GPU. The cube list holds
// five words per mixed cube (codes of its twelve edges, owners, corner mask,
// cell index), column by column: the viewport draws it as points, and the
// indexed mesh passes turn it into triangles whose vertices are named by
// their edge, so that neighbouring cubes share them. Work grows with the
// surface: uniform stretches of a column are skipped 32 nodes at a time.
#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

#include <glm/vec3.hpp>

#include "gpu/SSBO.h"
#include "stock/StockGrid.h"

namespace stock {

// A closed triangle mesh in world coordinates, each vertex once; triangles
// turn counter-clockwise seen from outside.
struct SurfaceMesh {
  std::vector<glm::dvec3> vertices;
  std::vector<uint32_t> triangles;  // three vertex indices each
};

// What the indexed mesh passes wrote, in their order: per triangle its
// first, third and second edge.
struct IndexedSurface {
  std::vector<uint32_t> identifiers;
  std::vector<glm::vec4> positions;  // grid coordinates
};

class SurfaceExtraction {
 public:
  // Render thread: the cube list of the grid's current contents. Owner 0
  // (never cut) is recorded as 2 unless initialBlockDistinct. A set stop
  // flag ends it between passes with an empty, incomplete list (false).
  bool extract(StockGrid& grid, bool initialBlockDistinct = false, const std::atomic<bool>* stop = nullptr);
  // The largest buffer a shader of this device addresses (0: no limit). A
  // surface whose lists would not fit is not made, rather than made in part.
  void setBufferLimit(uint64_t bytes) { bufferLimit_ = bytes; }
  // False when the last extraction or mesh did not fit the device.
  bool complete() const { return complete_; }
  uint64_t cubeCount() const { return cubeCount_; }
  // The list; valid until the next extraction.
  const gpu::SSBO* cubes() const { return cubes_ ? &*cubes_ : nullptr; }

  // Render thread: the indexed mesh passes over the current list. Their
  // buffers are given back afterwards: the display never reads them.
  IndexedSurface indexedSurface();
  // Render thread: the indexed mesh passes' buffers, lent until
  // releaseIndexedBuffers: per triangle corner its vertex identifier and
  // its position in grid coordinates, corners in the passes' order. No
  // buffers (and no corners) for an empty surface.
  struct IndexedBuffers {
    const gpu::SSBO* identifiers = nullptr;
    const gpu::SSBO* positions = nullptr;
    uint32_t corners = 0;
  };
  IndexedBuffers runIndexedMesh();
  void releaseIndexedBuffers();
  // A bound above every vertex identifier of the current list.
  uint64_t identifierBound() const { return uint64_t{cells_.x + 1} * (cells_.y + 1) * (cells_.z + 1) * 3; }

  // The same welded by vertex identifier, in world coordinates; read back
  // and welded piece by piece, so that the whole list is never held twice.
  SurfaceMesh weldedMesh(const GridFrame& frame);

 private:
  gpu::SSBO& buffer(std::optional<gpu::SSBO>& slot, uint64_t bytes);
  // Runs the indexed mesh passes; the number of indices they wrote (0 for
  // none, or when they would not fit the device).
  uint32_t runIndexedPasses();

  std::optional<gpu::SSBO> outsideBits_, columnCounts_, columnSums_, cubes_;
  std::optional<gpu::SSBO> triangleTable_, indexCounts_, indexSums_, identifiers_, positions_;
  bool fits(uint64_t bytes) const { return bufferLimit_ == 0 || bytes <= bufferLimit_; }

  uint64_t cubeCount_ = 0;
  uint64_t bufferLimit_ = 0;
  bool complete_ = true;
  glm::uvec3 cells_{0};
};

}  // namespace stock
