#pragma once
// The lattice cuts every crease of the part (where two surfaces meet, or
// one turns sharply) as a chamfer across the triangles that straddle it.
// Each edge across a crease is split where the tangent planes of its ends
// meet, and a triangle that holds a corner where three surfaces meet takes
// a centre point where the tangent planes of its three corners meet. New
// points are placed on their surfaces like every vertex, and each triangle
// is remade from its corners, split points and centre (two, three, four or
// six pieces).
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

struct CreaseSplitReport {
  uint32_t edges = 0;    // split points
  uint32_t centres = 0;  // centre points, which follow them
  uint32_t points() const { return edges + centres; }
};

// Render thread: splits mesh's crease edges and corners; mesh was placed
// (its packed normals and projection records are filled) and moved holds
// its moved flags; all of them grow by the new points.
CreaseSplitReport splitCreases(EnhancedMesh& mesh, gpu::SSBO& moved, const CreaseSplitSettings& settings,
                      const PlacePoints& place);

}  // namespace enhance
