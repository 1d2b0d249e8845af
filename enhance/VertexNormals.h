#pragma once
// Vertex normals of a welded mesh: the sum of the unit normals of the
// triangles round each vertex, normalised ("DecompressNormals.comp" turns
// the fixed-point sums the triangles added into unit vectors).
#include "enhance/EnhancedMesh.h"
#include "gpu/SSBO.h"

namespace enhance {

// Render thread: one vec4 per vertex (w = 0); zero where the triangles
// round a vertex cancel out.
gpu::SSBO vertexNormalsOf(const EnhancedMesh& mesh);

}  // namespace enhance
