#include "formats/StlWriter.h"

#include <cstring>
#include <stdexcept>

#include <glm/geometric.hpp>

namespace formats {

namespace {

constexpr size_t kHeaderBytes = 80;
constexpr size_t kTriangleBytes = 50;

// Appends little-endian bytes; the library runs on little-endian machines only.
template <typename T>
void put(std::vector<uint8_t>& out, size_t& at, T value) {
  std::memcpy(out.data() + at, &value, sizeof value);
  at += sizeof value;
}

}  // namespace

std::vector<uint8_t> binaryStlImage(std::span<const glm::dvec3> vertices, std::span<const uint32_t> indices,
                                    double scale) {
  if (indices.size() % 3 != 0) throw std::invalid_argument("Invalid indices: not a multiple of 3");
  for (uint32_t index : indices)
    if (index >= vertices.size()) throw std::invalid_argument("Invalid indices: past the last vertex");
  const size_t triangles = indices.size() / 3;
  std::vector<uint8_t> image(kHeaderBytes + 4 + kTriangleBytes * triangles, 0);
  std::memcpy(image.data(), kStlHeaderText, sizeof kStlHeaderText - 1);
  size_t at = kHeaderBytes;
  put(image, at, static_cast<uint32_t>(triangles));
  for (size_t t = 0; t < triangles; ++t) {
    glm::vec3 p[3];
    for (int k = 0; k < 3; ++k) p[k] = glm::vec3(vertices[indices[3 * t + k]] * scale);
    const glm::vec3 cross = glm::cross(p[1] - p[0], p[2] - p[0]);
    const float length = glm::length(cross);
    const glm::vec3 normal = length > 0.0f ? cross / length : glm::vec3(0.0f);
    for (int k = 0; k < 3; ++k) put(image, at, normal[k]);
    for (const glm::vec3& v : p)
      for (int k = 0; k < 3; ++k) put(image, at, v[k]);
    put(image, at, uint16_t{0});
  }
  return image;
}

}  // namespace formats
