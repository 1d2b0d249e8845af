#pragma once
// The solid a stock description stands for, in world coordinates
// (millimetres): a placed box, a cylinder given by its end-face centres, or
// a placed triangle mesh.
#include <memory>
#include <optional>
#include <variant>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "korvane/Korvane.h"
#include "stock/GridFrame.h"
#include "stock/StockMesh.h"

namespace stock {

struct BoxShape {
  glm::dvec3 min{0.0}, max{0.0};  // in the stock's own frame
  glm::dmat4 placement{1.0};      // own frame to world
};

struct CylinderShape {
  glm::dvec3 from{0.0}, to{0.0};  // centres of the end faces, world
  double radius = 0;
  double boreRadius = 0;          // 0: solid
};

struct MeshShape {
  std::shared_ptr<const StockMesh> mesh;
  glm::dmat4 placement{1.0};  // mesh frame to world
  bool limitToBox = false;    // material is limited to the mesh's own box
};

using StockShape = std::variant<BoxShape, CylinderShape, MeshShape>;

// The placement of a stock record: its 3 x 4 matrix, row by row, with the
// all-zero matrix standing for the identity.
glm::dmat4 placementOf(const SIM_StockRecord& record);

// The map of a geometry record from its model's frame to the world: scale
// (0 counts as 1), then the rotation (row by row; all zero is the identity),
// then the origin.
glm::dmat4 geometryPlacement(const SIM_GeometryRecord& record);

// Box and cylinder shapes of a record in millimetres; none for a mesh stock,
// which needs its triangles (see meshShape).
std::optional<StockShape> analyticShape(const SIM_StockRecord& record);

// A mesh stock from triangles given in the mesh's frame, placed by
// modelToWorld and then by the stock's placement.
MeshShape meshShape(const SIM_StockRecord& record, std::shared_ptr<const StockMesh> mesh,
                    const glm::dmat4& modelToWorld);

// The world box of the solid; the lattice is set up around it.
StockBox boundsOf(const StockShape& shape);

}  // namespace stock
