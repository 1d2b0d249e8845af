#pragma once
// The lattice cuts every crease of the part (where two surfaces meet, or
// one turns sharply) as a chamfer across the triangles that straddle it.
// Each edge across a crease is split where the tangent planes of its ends
// meet; the new point is placed on its surface like every vertex, and each
// triangle is remade from its corners and split points (two, three or four
// pieces).
#include <functional>
#include <optional>

#include "enhance/EnhancedMesh.h"
#include "enhance/SurfacePlacement.h"
#include "gpu/SSBO.h"

namespace enhance {

struct CreaseSplitSettings {
  float maxError = 0;    // a crease farther than this from its edge is not trusted
  float minChamfer = 0;  // "minSplitprojectionerrorToAllowSplit": shallower chamfers stay
  // Ends on one surface whose normals differ by more than this (a cosine)
  // lie across a crease of it.
  float creaseCosine = 0.866f;
};

// Places a mesh of loose points (positions, no triangles) with their
// normals onto their surfaces.
using PlacePoints = std::function<std::optional<PlacedVertices>(EnhancedMesh& points, const gpu::SSBO& normals)>;

// Render thread: splits mesh's crease edges; mesh was placed (its packed
// normals and projection records are filled) and moved holds its moved
// flags; all of them grow by the new points. Returns the edges split.
uint32_t splitCreases(EnhancedMesh& mesh, gpu::SSBO& moved, const CreaseSplitSettings& settings,
                      const PlacePoints& place);

}  // namespace enhance
