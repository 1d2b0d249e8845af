#pragma once
// The feature edges of a triangle mesh: where two faces meet at a crease
// sharper than a given angle, where a face has no neighbour (an open
// border) and where more than two faces share an edge. These are the lines
// a user sees as the model's edges and measures from; the flat seams of a
// tessellated face and the fine facets of a curved one are left out.
#include <cstdint>
#include <vector>

#include "machine/MeshCache.h"

namespace machine {

// Faces meeting at more than this angle between their normals form a
// feature edge. Thirty degrees keeps the corners of prismatic parts and
// drops the facets of a cylinder tessellated with more than twelve sides.
inline constexpr float kFeatureEdgeDegrees = 30.0f;

// Pairs of vertex indices into mesh.vertices, one pair per edge.
// Vertices at the same position count as one, so a mesh whose faces do not
// share vertices finds the same edges. Degenerate triangles are skipped.
std::vector<uint32_t> featureEdges(const IndexedMesh& mesh, float creaseDegrees = kFeatureEdgeDegrees);

}  // namespace machine
