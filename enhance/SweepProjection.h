#pragma once
// Every vertex against the tool sweeps, in batches: vertices are binned on
// a uniform grid over their box, each sweep counts the vertices in the bins
// its box meets and lists them as candidates; a sweep with too many
// ("crowded", a long move across the work) is tried vertex by vertex
// instead. Candidates within reach compete for their vertex by atomic
// minimum on the encoded distance, and the winner writes the vertex's
// projection record. Each vertex is settled in two shots, with the
// heuristic penalties and without; the bare one replaces the other where
// it is clearly nearer, or where the vertex already sits on its surface
// and a penalty would move it away.
#include <atomic>
#include <cstdint>
#include <vector>

#include <glm/vec3.hpp>

#include "enhance/EnhancedMesh.h"
#include "enhance/InitialStockProjection.h"
#include "enhance/ToolSweeps.h"
#include "gpu/SSBO.h"

namespace enhance {

struct SweepProjectionSettings {
  float maxError = 0;     // candidates farther from their vertex are out of reach
  float lengthUnit = 0;   // a penalty is four of these
  // A box that holds every vertex (the lattice's, say): the bins cover it.
  glm::vec3 verticesLow{0.0f}, verticesHigh{0.0f};
  uint32_t elementsPerBin = 32;        // the grid is made for about this many vertices a bin
  uint32_t crowdedCutoff = 1u << 16;   // candidates that make a sweep crowded
  uint32_t sweepsPerBatch = 1u << 15;
  uint64_t candidatesPerBatch = 1u << 23;  // a batch with more is split
  const std::atomic<bool>* stop = nullptr;  // ends the work between batches
};

// What the projection did, for benchmarks and checks.
struct SweepProjectionReport {
  uint32_t batches = 0;
  uint64_t candidates = 0;
  uint32_t crowdedSweeps = 0;
  uint32_t binsPerDim = 0;
  uint32_t secondShots = 0;  // vertices that took the shot without penalties
  bool stopped = false;
};

// Render thread: offers every sweep to every vertex it may have made;
// projections holds the initial stock's results and ends with the winners
// (the report's stopped flag says when a stop cut that short).
SweepProjectionReport projectOntoSweeps(const SweepList& sweeps, const EnhancedMesh& mesh,
                                        const gpu::SSBO& vertexNormals, VertexProjections& projections,
                                        const SweepProjectionSettings& settings);

}  // namespace enhance
