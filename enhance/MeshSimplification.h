#pragma once
// Fewer triangles where the exact surface allows: rounds of parallel edge
// collapses. In a round every free vertex scores its shortest edge; a vertex
// whose neighbours all score worse collapses onto that edge's far end,
// unless one of its triangles would fold, turn or leave the surface by
// more than the error allowed. Vertices on colour borders and creases are
// kept, and kept vertices never move, so everything that remains lies on
// the exact surface it was projected onto.
#include <cstdint>

#include "enhance/EnhancedMesh.h"

namespace enhance {

struct SimplificationSettings {
  // Cosine: a vertex whose triangles turn further from its normal is kept,
  // and a collapse may turn no triangle further.
  float collapseThreshold = 0.9f;
  float maxError = 0;         // how far a removed vertex may lie from the triangles that replace it
  float unitLength = 0;       // the step edge scores are counted in
  uint32_t maxRounds = 24;
  // Rounds end when one removes fewer than this share of the triangles.
  float leastShareRemoved = 0.005f;
};

struct SimplificationReport {
  uint32_t rounds = 0;
  uint32_t trianglesBefore = 0, trianglesAfter = 0;
};

// Render thread: simplifies mesh in place (its triangles and attribute
// records; vertices no triangle uses any more stay in the vertex buffers).
// packedNormals holds every vertex's normal on its surface.
SimplificationReport simplifyMesh(EnhancedMesh& mesh, const SimplificationSettings& settings);

}  // namespace enhance
