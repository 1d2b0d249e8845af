#pragma once
// The first candidate surface of every vertex: the stock as it was before
// any cut (a placed box, a bored or solid cylinder, a placed triangle
// mesh), or none. Each vertex gets its projection record (source -1) and
// its competing distance, which the tool sweeps then try to beat.
#include <optional>

#include "enhance/EnhancedMesh.h"
#include "gpu/SSBO.h"
#include "stock/StockShape.h"

namespace enhance {

struct VertexProjections {
  gpu::SSBO records;    // uvec4 per vertex (ProjectionRecord.h)
  gpu::SSBO distances;  // int per vertex, the smaller the better
};

// Render thread. A mesh stock is searched triangle by triangle, and one
// limited to its box is taken as the mesh alone; a mesh of so many
// triangles that the search would take seconds counts as no stock.
VertexProjections projectOntoInitialStock(const std::optional<stock::StockShape>& shape, const EnhancedMesh& mesh,
                                          const gpu::SSBO& vertexNormals);

}  // namespace enhance
