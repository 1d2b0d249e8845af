#include "stock/StockShape.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>

namespace stock {

namespace {

glm::dvec3 transformPoint(const glm::dmat4& m, const glm::dvec3& p) { return glm::dvec3(m * glm::dvec4(p, 1.0)); }

void include(StockBox& box, const glm::dvec3& p) {
  box.min = glm::min(box.min, p);
  box.max = glm::max(box.max, p);
}

StockBox emptyBox() {
  constexpr double inf = std::numeric_limits<double>::infinity();
  return {glm::dvec3(inf), glm::dvec3(-inf)};
}

StockBox boundsOfBox(const BoxShape& box) {
  StockBox bounds = emptyBox();
  for (int corner = 0; corner < 8; ++corner) {
    const glm::dvec3 local((corner & 1) ? box.max.x : box.min.x, (corner & 2) ? box.max.y : box.min.y,
                           (corner & 4) ? box.max.z : box.min.z);
    include(bounds, transformPoint(box.placement, local));
  }
  return bounds;
}

// Exact bounds of a cylinder: each end disc reaches r * sqrt(1 - d_k^2)
// along axis k from its centre.
StockBox boundsOfCylinder(const CylinderShape& cylinder) {
  const glm::dvec3 axis = cylinder.to - cylinder.from;
  const double length = glm::length(axis);
  const glm::dvec3 d = length > 0 ? axis / length : glm::dvec3(0.0);
  glm::dvec3 reach;
  for (int k = 0; k < 3; ++k) reach[k] = cylinder.radius * std::sqrt(std::max(0.0, 1.0 - d[k] * d[k]));
  StockBox bounds = emptyBox();
  for (const glm::dvec3& centre : {cylinder.from, cylinder.to}) {
    include(bounds, centre - reach);
    include(bounds, centre + reach);
  }
  return bounds;
}

StockBox boundsOfMesh(const MeshShape& shape) {
  StockBox bounds = emptyBox();
  if (!shape.mesh) return {};
  for (const auto& triangle : shape.mesh->triangles)
    for (uint32_t corner : triangle) include(bounds, transformPoint(shape.placement, shape.mesh->positions[corner]));
  return shape.mesh->triangles.empty() ? StockBox{} : bounds;
}

}  // namespace

std::optional<StockShape> analyticShape(const StockDefinition& record) {
  const glm::dmat4 placement = record.placementMatrix();
  if (record.kind == StockKind::Box) {
    BoxShape box;
    box.placement = placement;
    for (int k = 0; k < 3; ++k) {
      box.min[k] = std::min(record.boxMin[k], record.boxMax[k]);
      box.max[k] = std::max(record.boxMin[k], record.boxMax[k]);
    }
    return box;
  }
  if (record.kind == StockKind::Cylinder) {
    glm::dvec3 axis(0.0);
    axis[record.cylinderAxis <= 2 ? record.cylinderAxis : 2] = 1.0;
    const glm::dvec3 base = record.cylinderBase;
    CylinderShape cylinder;
    cylinder.from = transformPoint(placement, base);
    cylinder.to = transformPoint(placement, base + axis * record.cylinderLength);
    cylinder.radius = std::abs(record.outerDiameter) / 2;
    cylinder.boreRadius = std::abs(record.boreDiameter) / 2;
    return cylinder;
  }
  return std::nullopt;
}

MeshShape meshShape(const StockDefinition& record, std::shared_ptr<const StockMesh> mesh,
                    const glm::dmat4& modelToWorld) {
  MeshShape shape;
  shape.mesh = std::move(mesh);
  shape.placement = record.placementMatrix() * modelToWorld;
  shape.limitToBox = record.limitToBox;
  return shape;
}

StockShape placedShape(StockShape shape, const glm::dmat4& placement) {
  if (auto* box = std::get_if<BoxShape>(&shape)) {
    box->placement = placement * box->placement;
  } else if (auto* cylinder = std::get_if<CylinderShape>(&shape)) {
    cylinder->from = transformPoint(placement, cylinder->from);
    cylinder->to = transformPoint(placement, cylinder->to);
  } else {
    auto& mesh = std::get<MeshShape>(shape);
    mesh.placement = placement * mesh.placement;
  }
  return shape;
}

StockBox boundsOf(const StockShape& shape) {
  if (const auto* box = std::get_if<BoxShape>(&shape)) return boundsOfBox(*box);
  if (const auto* cylinder = std::get_if<CylinderShape>(&shape)) return boundsOfCylinder(*cylinder);
  return boundsOfMesh(std::get<MeshShape>(shape));
}

}  // namespace stock
