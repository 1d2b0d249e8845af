#pragma once
// One enhancement of a stock, stage by stage: the lattice's surface welded
// into unique vertices in the world, their normals, every vertex projected
// onto the initial stock and the tool sweeps, moved onto the surface that
// won where it lies within reach, the triangles coloured by the cut that
// made their surface and given face normals and smooth marks. The result
// is drawn by the solid program and read by solid export.
//
// Reach (maxError) is one lattice cell: the lattice places every surface
// point within a cell of the surface that made it, so a surface farther
// away did not make it; a vertex with no surface in reach stays where the
// lattice put it.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "enhance/EnhancedMesh.h"
#include "enhance/ToolSweeps.h"
#include "stock/GridFrame.h"
#include "stock/SolidMesh.h"
#include "stock/StockShape.h"
#include "stock/SurfaceExtraction.h"

namespace enhance {

struct EnhancementInput {
  stock::SurfaceExtraction* surface = nullptr;  // its cube list is the lattice's current one
  stock::GridFrame frame;
  std::optional<stock::StockShape> initialShape;  // none: project onto sweeps only
  SweepList sweeps;
  // How far the simplified mesh may stray from the exact surface; 0 keeps
  // every triangle.
  double tolerance = 0;
  // Edges across a crease (two surfaces, or one that turns sharply) are
  // split where the surfaces meet, so the lattice's chamfers go.
  bool splitCreases = true;
  uint8_t initialColourIndex = 2;         // the owner code of uncut faces
  std::array<uint32_t, 256> colours{};    // RGBA bytes per owner code
  // Set when the view closes: the enhancement ends between stages and
  // batches, with no mesh.
  const std::atomic<bool>* stop = nullptr;
};

struct EnhancementReport {
  uint32_t vertices = 0, triangles = 0;  // of the welded surface
  uint32_t movedVertices = 0;   // vertices and split points onto a surface in reach
  uint32_t sweepVertices = 0;   // of those, onto a tool sweep
  uint32_t mixedTriangles = 0;
  uint32_t splitEdges = 0;  // each gave a point, which follows the welded vertices
  uint32_t centrePoints = 0;  // at corners of three surfaces, after the split points
  uint32_t simplifiedTriangles = 0;  // triangles left after the collapses
  uint32_t collapseRounds = 0;
  uint32_t sweeps = 0, crowdedSweeps = 0, batches = 0;
  uint32_t secondShots = 0;  // welded vertices that took the projection without penalties
  uint64_t candidates = 0;
  float maxError = 0;
};

// Render thread: the enhanced mesh, or none for an empty surface. progress
// hears percentages on the way.
std::unique_ptr<EnhancedMesh> enhanceStock(const EnhancementInput& input, const std::function<void(int)>& progress,
                                           EnhancementReport* report = nullptr);

// Render thread: the mesh in the solid program's buffers.
void copyIntoSolidMesh(const EnhancedMesh& mesh, stock::SolidMesh& solid);

// Render thread: the mesh read back, for export (positions in world
// millimetres, triangles counter-clockwise seen from outside).
stock::SurfaceMesh readBackSurface(const EnhancedMesh& mesh);

}  // namespace enhance
