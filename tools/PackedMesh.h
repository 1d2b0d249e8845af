#pragma once
// Triangle meshes of tools and holders as drawn: three 24-byte vertices per
// triangle (position, packed normal, packed colour, one further scalar).
#include <cstdint>
#include <vector>

#include <glm/vec3.hpp>

namespace tools {

struct PackedVertex {
  float x, y, z;
  uint32_t normal;  // three 10-bit fields, x lowest: (n + 1) * 511.5, truncated, at most 1023
  uint32_t colour;  // r, g, b bytes from the lowest: c * 255, truncated, at most 255
  float scalar;
};
static_assert(sizeof(PackedVertex) == 24);

using PackedMesh = std::vector<PackedVertex>;

uint32_t packToolNormal(const glm::vec3& normal);
uint32_t packColour(const glm::vec3& colour);

struct MeshBox {
  glm::vec3 min{3.4028235e38f};
  glm::vec3 max{-3.4028235e38f};
  bool empty() const { return min.x > max.x; }
  void include(const glm::vec3& p);
  void include(const MeshBox& other);
};

MeshBox boxOf(const PackedMesh& mesh);

}  // namespace tools
