#pragma once
// Splits a machine model into convex pieces for collision checks.
//
// A model's parts are its connected pieces of surface after welding equal
// positions. Each part is simplified to a triangle budget and decomposed
// with hierarchical approximate convex decomposition; the pieces are the
// convex hulls of its clusters. The convex tree of a part is: the part's
// hull (the hull of its pieces' vertices), the pieces, then the part's exact
// triangles.
#include <cstddef>
#include <vector>

#include <glm/vec3.hpp>

#include "machine/MeshCache.h"

namespace machine {

// One convex piece as the decomposition gives it: hull vertices and the
// triangles between them (outward).
struct ConvexHull {
  std::vector<glm::vec3> vertices;
  std::vector<uint32_t> triangles;
};

struct DecompositionSettings {
  // Triangles a part is simplified to before decomposing. The decomposition
  // grows faster than quadratically with them and far faster still with
  // thin triangles (a 96-sided cylinder of 384 triangles takes 30 s, at 200
  // triangles 0.5 s, at 100 0.12 s), so parts go in small.
  size_t triangleBudget = 100;
  // The finer settings apply to parts with at least this many indices.
  size_t fineFromIndices = 1000;
};

// Welds equal positions and splits the mesh into its connected parts.
std::vector<IndexedMesh> weldedParts(const IndexedMesh& mesh);

// The part simplified to at most `triangles` triangles (fewer when it has
// fewer), with only the vertices it uses.
IndexedMesh simplified(const IndexedMesh& part, size_t triangles);

// The convex pieces of one part.
std::vector<ConvexHull> convexPieces(const IndexedMesh& part, const DecompositionSettings& settings = {});

// The cache's form of a whole model: per part its pieces and exact mesh.
Decomposition decompose(const IndexedMesh& mesh, const DecompositionSettings& settings = {});

}  // namespace machine
