#include "tools/PackedMesh.h"

#include <algorithm>
#include <cmath>

#include <glm/common.hpp>

namespace tools {

namespace {

uint32_t field(float value, float scale, uint32_t limit) {
  if (!(value > 0)) return 0;  // also NaN
  return std::min(static_cast<uint32_t>(std::min(value * scale, 4.0e9f)), limit);
}

}  // namespace

uint32_t packToolNormal(const glm::vec3& n) {
  return field(n.x + 1, 511.5f, 1023) | field(n.y + 1, 511.5f, 1023) << 10 | field(n.z + 1, 511.5f, 1023) << 20;
}

uint32_t packColour(const glm::vec3& c) {
  return field(c.r, 255, 255) | field(c.g, 255, 255) << 8 | field(c.b, 255, 255) << 16;
}

void MeshBox::include(const glm::vec3& p) {
  min = glm::min(min, p);
  max = glm::max(max, p);
}

void MeshBox::include(const MeshBox& other) {
  if (other.empty()) return;
  include(other.min);
  include(other.max);
}

MeshBox boxOf(const PackedMesh& mesh) {
  MeshBox box;
  for (const PackedVertex& v : mesh) box.include({v.x, v.y, v.z});
  return box;
}

}  // namespace tools
