#include "enhance/SurfacePlacement.h"

#include <algorithm>

#include "enhance/AlgoDispatch.h"
#include "enhance/InitialStockProjection.h"
#include "enhance/TurnedProfileProjection.h"

namespace enhance {

std::optional<PlacedVertices> placeOnSurfaces(const PlacementInput& input, EnhancedMesh& mesh,
                                              const gpu::SSBO& normals, const std::function<void(int)>& progress) {
  VertexProjections projections = projectOntoInitialStock(input.initialShape, mesh, normals);
  if (input.turned) projectOntoTurnedProfile(*input.turned, mesh, projections, input.maxError);
  if (progress) progress(20);
  SweepProjectionSettings settings;
  settings.maxError = input.maxError;
  settings.lengthUnit = input.maxError / 4;
  settings.verticesLow = input.boxLow;
  settings.verticesHigh = input.boxHigh;
  settings.stop = input.stop;
  PlacedVertices placed;
  placed.swept = projectOntoSweeps(input.sweeps, mesh, normals, projections, settings);
  if (placed.swept.stopped || (input.stop && input.stop->load())) return std::nullopt;

  const uint64_t slots = std::max(mesh.vertexCount, 1u);
  mesh.packedNormals = gpu::SSBO(slots * 4);
  placed.moved = gpu::SSBO(slots * 4);
  const GLuint program = useAlgoProgram("ApplyProjections.comp");
  mesh.positions.bindBase(0);
  normals.bindBase(1);
  projections.records.bindBase(2);
  projections.distances.bindBase(3);
  mesh.packedNormals.bindBase(4);
  placed.moved.bindBase(5);
  setUint(program, "nVertices", mesh.vertexCount);
  setFloat(program, "maxError", input.maxError);
  runKernel(program, mesh.vertexCount);
  mesh.projections = std::move(projections.records);
  return placed;
}

}  // namespace enhance
