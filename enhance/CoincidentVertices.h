#pragma once
// Near a sharp convex edge of the stock, vertices from both sides land on
// one point of it; the triangles between them keep no area. Such vertices
// become one, and the triangles that lose a corner go.
#include <cstdint>

#include "enhance/EnhancedMesh.h"

namespace enhance {

// Render thread: merges mesh's vertices joined by edges of no length (the
// lowest index of them stays; the others stay in the buffers, unused) and
// deletes the triangles left with a repeated corner. Returns how many
// triangles went. Runs before the triangles have attribute records.
uint32_t mergeCoincidentVertices(EnhancedMesh& mesh);

}  // namespace enhance
