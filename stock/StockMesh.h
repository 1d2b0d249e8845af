#pragma once
// A closed (or nearly closed) triangle mesh prepared for building a stock
// from it: shared vertices with angle-weighted normals, triangles, and the
// triangle across each edge.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include <glm/vec3.hpp>

namespace stock {

struct StockMesh {
  std::vector<glm::vec3> positions;
  std::vector<uint32_t> packedNormals;   // three 10-bit fields, see packNormal
  std::vector<std::array<uint32_t, 3>> triangles;
  // Triangle across edge (v0, v1), (v1, v2), (v2, v0); -1 for an open edge
  // (or one shared by more than two triangles).
  std::vector<std::array<int32_t, 3>> neighbours;

  // From a triangle soup (nine floats per triangle). Vertices at the same
  // position are shared; triangles with two equal corners are dropped.
  static StockMesh fromTriangleSoup(std::span<const float> xyz);

  bool empty() const { return triangles.empty(); }
};

// Components in -1 ... 1 as fields at bits 0, 10, 20: round((c + 1) * 511.5).
uint32_t packNormal(const glm::vec3& normal);
glm::vec3 unpackNormal(uint32_t packed);

}  // namespace stock
