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

glm::dmat4 placementOf(const SIM_StockRecord& record) {
  const bool allZero = std::all_of(std::begin(record.placement), std::end(record.placement),
                                   [](double v) { return v == 0.0; });
  glm::dmat4 m(1.0);
  if (allZero) return m;
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 4; ++column) m[column][row] = record.placement[4 * row + column];
  return m;
}

glm::dmat4 geometryPlacement(const SIM_GeometryRecord& record) {
  const bool noRotation = std::all_of(std::begin(record.rotation), std::end(record.rotation),
                                      [](float v) { return v == 0.0f; });
  glm::dmat4 rotation(1.0);
  if (!noRotation)
    for (int row = 0; row < 3; ++row)
      for (int column = 0; column < 3; ++column) rotation[column][row] = record.rotation[3 * row + column];
  const double scale = record.scale == 0.0f ? 1.0 : record.scale;
  const glm::dvec3 origin(record.origin[0], record.origin[1], record.origin[2]);
  return glm::translate(glm::dmat4(1.0), origin) * rotation * glm::scale(glm::dmat4(1.0), glm::dvec3(scale));
}

std::optional<StockShape> analyticShape(const SIM_StockRecord& record) {
  const glm::dmat4 placement = placementOf(record);
  if (record.kind == SIM_STOCK_BOX) {
    BoxShape box;
    box.placement = placement;
    for (int k = 0; k < 3; ++k) {
      box.min[k] = std::min(record.boxMin[k], record.boxMax[k]);
      box.max[k] = std::max(record.boxMin[k], record.boxMax[k]);
    }
    return box;
  }
  if (record.kind == SIM_STOCK_CYLINDER) {
    glm::dvec3 axis(0.0);
    axis[record.cylinderAxis <= 2 ? record.cylinderAxis : 2] = 1.0;
    const glm::dvec3 base(record.cylinderBase[0], record.cylinderBase[1], record.cylinderBase[2]);
    CylinderShape cylinder;
    cylinder.from = transformPoint(placement, base);
    cylinder.to = transformPoint(placement, base + axis * record.cylinderLength);
    cylinder.radius = std::abs(record.outerDiameter) / 2;
    cylinder.boreRadius = std::abs(record.boreDiameter) / 2;
    return cylinder;
  }
  return std::nullopt;
}

MeshShape meshShape(const SIM_StockRecord& record, std::shared_ptr<const StockMesh> mesh,
                    const glm::dmat4& modelToWorld) {
  MeshShape shape;
  shape.mesh = std::move(mesh);
  shape.placement = placementOf(record) * modelToWorld;
  shape.limitToBox = record.limitToBox != 0;
  return shape;
}

StockBox boundsOf(const StockShape& shape) {
  if (const auto* box = std::get_if<BoxShape>(&shape)) return boundsOfBox(*box);
  if (const auto* cylinder = std::get_if<CylinderShape>(&shape)) return boundsOfCylinder(*cylinder);
  return boundsOfMesh(std::get<MeshShape>(shape));
}

}  // namespace stock
