#pragma once
// Every vertex of a mesh onto the surface that made it: the initial stock's,
// the turned profile's or the nearest tool sweep's, when that lies within
// reach. The enhancement
// places the welded surface so, and then the points that split its creases.
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

#include <glm/vec3.hpp>

#include "enhance/EnhancedMesh.h"
#include "enhance/SweepProjection.h"
#include "enhance/ToolSweeps.h"
#include "enhance/TurnedProfile.h"
#include "gpu/SSBO.h"
#include "stock/StockShape.h"

namespace enhance {

struct PlacementInput {
  const std::optional<stock::StockShape>& initialShape;
  const SweepList& sweeps;
  const TurnedProfile* turned = nullptr;  // what turning left, when anything
  float maxError = 0;  // the reach: surfaces farther away are not taken
  glm::vec3 boxLow{0.0f}, boxHigh{0.0f};  // holds every vertex
  const std::atomic<bool>* stop = nullptr;
};

struct PlacedVertices {
  gpu::SSBO moved;  // uint per vertex: 1 when it moved onto a surface
  SweepProjectionReport swept;
};

// Render thread: moves mesh's vertices onto their surfaces and fills its
// packed normals (the surface's, else normals') and projection records;
// none when a stop ended the work. progress hears 20 when the initial
// stock is done.
std::optional<PlacedVertices> placeOnSurfaces(const PlacementInput& input, EnhancedMesh& mesh,
                                              const gpu::SSBO& normals, const std::function<void(int)>& progress);

}  // namespace enhance
