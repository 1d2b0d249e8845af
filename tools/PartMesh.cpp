#include "tools/PartMesh.h"

#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>

namespace tools {

namespace {

// Two unit vectors completing axis to a right-handed frame: u is the tool's
// x made square to the axis (-z where the axis runs along x), w = axis x u.
// The cut of a tool that does not turn takes the same directions.
void crossAxes(const glm::dvec3& axis, glm::dvec3& u, glm::dvec3& w) {
  glm::dvec3 square = glm::dvec3(1, 0, 0) - axis.x * axis;
  if (glm::length(square) < 1e-3) square = glm::dvec3(0, 0, -1) - (-axis.z) * axis;
  u = glm::normalize(square);
  w = glm::cross(axis, u);
}

void addTriangle(PackedMesh& mesh, const glm::dvec3& a, const glm::dvec3& b, const glm::dvec3& c, uint32_t colour) {
  const glm::dvec3 n = glm::cross(b - a, c - a);
  const double length = glm::length(n);
  if (!(length > 0)) return;
  const uint32_t normal = packToolNormal(glm::vec3(n / length));
  for (const glm::dvec3& p : {a, b, c})
    mesh.push_back({static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z), normal, colour, 0.0f});
}

double chordTolerance(const Profile& profile, const PartPlacement& placement) {
  if (placement.tolerance > 0) return placement.tolerance;
  return kRelativeChordTolerance * std::max(largestRadius(profile), 1e-3);
}

}  // namespace

int segmentsAround() {
  return std::clamp(static_cast<int>(std::ceil(M_PI / std::acos(1 - kRelativeChordTolerance))), 24, 256);
}

PartPlacement placementOf(const SIM_ToolPart& part, double scale) {
  PartPlacement p;
  const glm::dvec3 axis(part.axis[0], part.axis[1], part.axis[2]);
  const double length = glm::length(axis);
  if (length > 0 && std::isfinite(length)) p.axis = axis / length;
  p.origin = glm::dvec3(part.origin[0], part.origin[1], part.origin[2]) * scale;
  p.depth = part.depth * scale;
  p.sweep = std::isfinite(part.sweep) ? std::abs(part.sweep) : 0;
  p.tolerance = std::isfinite(part.tolerance) && part.tolerance > 0 ? part.tolerance * scale : 0;
  if (part.polygonSides >= 3 && part.polygonSides <= kMaxPolygonSides) p.sides = static_cast<int>(part.polygonSides);
  return p;
}

PackedMesh revolvedMesh(const Profile& profile, const PartPlacement& placement, uint32_t colour) {
  PackedMesh mesh;
  if (profile.empty()) return mesh;
  const std::vector<glm::dvec2> line = polyline(profile, chordTolerance(profile, placement));
  glm::dvec3 u, w;
  crossAxes(placement.axis, u, w);
  const bool fullTurn = placement.sweep <= 0 || placement.sweep >= 2 * M_PI || placement.sides >= 3;
  const double sweep = fullTurn ? 2 * M_PI : placement.sweep;
  int around = std::max(3, static_cast<int>(std::ceil(segmentsAround() * sweep / (2 * M_PI))));
  // A polygon-sided part: corners every 360 / sides degrees from u, the
  // flats at the profile's radius.
  double toCorner = 1;
  if (placement.sides >= 3) {
    around = placement.sides;
    toCorner = 1 / std::cos(M_PI / around);
  }
  auto at = [&](const glm::dvec2& p, int step) {
    const double angle = sweep * step / around;
    return placement.origin + p.y * placement.axis + p.x * toCorner * (std::cos(angle) * u + std::sin(angle) * w);
  };
  mesh.reserve((line.size() - 1) * around * 6);
  for (size_t i = 0; i + 1 < line.size(); ++i)
    for (int s = 0; s < around; ++s) {
      const glm::dvec3 a = at(line[i], s), b = at(line[i], s + 1), c = at(line[i + 1], s + 1), d = at(line[i + 1], s);
      addTriangle(mesh, a, d, c, colour);  // skips the degenerate half on the axis
      addTriangle(mesh, a, c, b, colour);
    }
  return mesh;
}

PackedMesh extrudedMesh(const Profile& profile, const PartPlacement& placement, bool symmetric, uint32_t colour) {
  PackedMesh mesh;
  if (profile.empty()) return mesh;
  const std::vector<glm::dvec2> line = polyline(profile, chordTolerance(profile, placement));
  glm::dvec3 u, w;
  crossAxes(placement.axis, u, w);
  const double near = symmetric ? -placement.depth / 2 : 0, far = symmetric ? placement.depth / 2 : placement.depth;
  auto at = [&](const glm::dvec2& p, double across) {
    return placement.origin + p.y * placement.axis + p.x * u + across * w;
  };
  for (size_t i = 0; i + 1 < line.size(); ++i) {
    addTriangle(mesh, at(line[i], near), at(line[i + 1], near), at(line[i + 1], far), colour);
    addTriangle(mesh, at(line[i], near), at(line[i + 1], far), at(line[i], far), colour);
  }
  // Both faces as fans from the first point (the profile's own polygon).
  for (size_t i = 1; i + 1 < line.size(); ++i) {
    addTriangle(mesh, at(line[0], near), at(line[i + 1], near), at(line[i], near), colour);
    addTriangle(mesh, at(line[0], far), at(line[i], far), at(line[i + 1], far), colour);
  }
  return mesh;
}

}  // namespace tools
