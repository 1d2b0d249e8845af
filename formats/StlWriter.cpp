#include "formats/StlWriter.h"

#include <algorithm>
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

void writeBinaryStl(std::span<const glm::dvec3> vertices, std::span<const uint32_t> indices, double scale,
                    const StlSink& sink) {
  if (indices.size() % 3 != 0) throw std::invalid_argument("Invalid indices: not a multiple of 3");
  for (uint32_t index : indices)
    if (index >= vertices.size()) throw std::invalid_argument("Invalid indices: past the last vertex");
  const size_t triangles = indices.size() / 3;
  std::vector<uint8_t> piece(kHeaderBytes + 4, 0);
  std::memcpy(piece.data(), kStlHeaderText, sizeof kStlHeaderText - 1);
  size_t at = kHeaderBytes;
  put(piece, at, static_cast<uint32_t>(triangles));
  sink(piece);
  constexpr size_t kTrianglesPerPiece = 8192;
  for (size_t first = 0; first < triangles; first += kTrianglesPerPiece) {
    const size_t count = std::min(kTrianglesPerPiece, triangles - first);
    piece.assign(kTriangleBytes * count, 0);
    at = 0;
    for (size_t t = first; t < first + count; ++t) {
      glm::vec3 p[3];
      for (int k = 0; k < 3; ++k) p[k] = glm::vec3(vertices[indices[3 * t + k]] * scale);
      const glm::vec3 cross = glm::cross(p[1] - p[0], p[2] - p[0]);
      const float length = glm::length(cross);
      const glm::vec3 normal = length > 0.0f ? cross / length : glm::vec3(0.0f);
      for (int k = 0; k < 3; ++k) put(piece, at, normal[k]);
      for (const glm::vec3& v : p)
        for (int k = 0; k < 3; ++k) put(piece, at, v[k]);
      put(piece, at, uint16_t{0});
    }
    sink(piece);
  }
}

std::vector<uint8_t> binaryStlImage(std::span<const glm::dvec3> vertices, std::span<const uint32_t> indices,
                                    double scale) {
  std::vector<uint8_t> image;
  image.reserve(kHeaderBytes + 4 + kTriangleBytes * (indices.size() / 3));
  writeBinaryStl(vertices, indices, scale,
                 [&](std::span<const uint8_t> bytes) { image.insert(image.end(), bytes.begin(), bytes.end()); });
  return image;
}

}  // namespace formats
