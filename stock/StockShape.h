#pragma once
// The solid a stock description stands for, in world coordinates
// (millimetres): a placed box, a cylinder given by its end-face centres, or
// a placed triangle mesh.
#include <memory>
#include <optional>
#include <variant>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "stock/GridFrame.h"
#include "stock/StockDefinition.h"
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

// Box and cylinder shapes of a definition; none for a mesh stock, which
// needs its triangles (see meshShape).
std::optional<StockShape> analyticShape(const StockDefinition& definition);

// A mesh stock from triangles given in the mesh's frame, placed by
// modelToWorld and then by the stock's placement.
MeshShape meshShape(const StockDefinition& definition, std::shared_ptr<const StockMesh> mesh,
                    const glm::dmat4& modelToWorld);

// The solid moved by a rigid placement (rotation and translation) applied
// after its own.
StockShape placedShape(StockShape shape, const glm::dmat4& placement);

// The world box of the solid; the lattice is set up around it.
StockBox boundsOf(const StockShape& shape);

}  // namespace stock
