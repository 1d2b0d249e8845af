#include "tools/ToolDataReader.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include <glm/geometric.hpp>

#include "formats/StlReader.h"

namespace tools {

namespace {

class Reader {
 public:
  explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  bool read(void* out, size_t size) {
    if (bytes_.size() - at_ < size) return false;
    std::memcpy(out, bytes_.data() + at_, size);
    at_ += size;
    return true;
  }

 private:
  std::span<const uint8_t> bytes_;
  size_t at_ = 0;
};

std::vector<uint8_t> fileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace

bool isToolDataPath(const std::string& path) {
  constexpr std::string_view kExtension = ".ToolData";
  return path.size() >= kExtension.size() && path.compare(path.size() - kExtension.size(), kExtension.size(), kExtension) == 0;
}

PackedMesh parseToolData(std::span<const uint8_t> bytes, float scale, const glm::vec3& offset) {
  Reader reader(bytes);
  uint32_t vertexCount = 0;
  if (!reader.read(&vertexCount, 4) || uint64_t{vertexCount} * 40 > bytes.size()) return {};
  std::vector<PackedVertex> vertices(vertexCount);
  for (PackedVertex& v : vertices) {
    float f[10];
    if (!reader.read(f, sizeof f)) return {};
    v.x = scale * f[0] + offset.x;
    v.y = scale * f[1] + offset.y;
    v.z = scale * f[2] + offset.z;
    v.normal = packToolNormal({f[3], f[4], f[5]});
    v.colour = packColour({f[6], f[7], f[8]});
    v.scalar = f[9];
  }
  uint32_t triangleCount = 0;
  if (!reader.read(&triangleCount, 4) || uint64_t{triangleCount} * 12 > bytes.size()) return {};
  PackedMesh mesh;
  mesh.reserve(uint64_t{triangleCount} * 3);
  for (uint32_t t = 0; t < triangleCount; ++t) {
    uint32_t corners[3];
    if (!reader.read(corners, sizeof corners)) return {};
    for (uint32_t c : corners) {
      if (c >= vertexCount) return {};
      mesh.push_back(vertices[c]);
    }
  }
  return mesh;
}

PackedMesh readModel(const std::string& path, float scale, const glm::vec3& offset) {
  if (path.empty()) return {};
  if (isToolDataPath(path)) {
    const std::vector<uint8_t> bytes = fileBytes(path);
    return parseToolData(bytes, scale, offset);
  }
  const formats::StlVertices soup = formats::readStl(path);
  PackedMesh mesh;
  mesh.reserve(soup.size());
  for (size_t i = 0; i + 2 < soup.size(); i += 3) {
    glm::vec3 p[3];
    for (int c = 0; c < 3; ++c) p[c] = scale * glm::vec3(soup[i + c].x, soup[i + c].y, soup[i + c].z) + offset;
    const glm::vec3 n = glm::cross(p[1] - p[0], p[2] - p[0]);
    const float length = glm::length(n);
    const uint32_t normal = packToolNormal(length > 0 ? n / length : glm::vec3(0.0f));
    for (const glm::vec3& q : p) mesh.push_back({q.x, q.y, q.z, normal, 0, 0.0f});
  }
  return mesh;
}

}  // namespace tools
