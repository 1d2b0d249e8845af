#include "stock/StockMesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include <glm/geometric.hpp>

namespace stock {

namespace {

struct PositionKey {
  uint32_t bits[3];
  bool operator==(const PositionKey&) const = default;
};

struct PositionHash {
  size_t operator()(const PositionKey& k) const {
    uint64_t h = k.bits[0];
    h = h * 0x9E3779B97F4A7C15ull ^ k.bits[1];
    h = h * 0x9E3779B97F4A7C15ull ^ k.bits[2];
    return static_cast<size_t>(h ^ (h >> 29));
  }
};

PositionKey keyOf(const glm::vec3& p) {
  PositionKey key;
  // +0 and -0 are the same place.
  const glm::vec3 q = p + glm::vec3(0.0f);
  std::memcpy(key.bits, &q, sizeof key.bits);
  return key;
}

uint64_t edgeKey(uint32_t from, uint32_t to) { return uint64_t{from} << 32 | to; }

void findNeighbours(StockMesh& mesh) {
  std::unordered_map<uint64_t, int32_t> edgeOwner;  // directed edge -> triangle; -2 when shared by several
  edgeOwner.reserve(mesh.triangles.size() * 3);
  for (size_t t = 0; t < mesh.triangles.size(); ++t) {
    const auto& v = mesh.triangles[t];
    for (int e = 0; e < 3; ++e) {
      auto [it, added] = edgeOwner.try_emplace(edgeKey(v[e], v[(e + 1) % 3]), static_cast<int32_t>(t));
      if (!added) it->second = -2;
    }
  }
  mesh.neighbours.assign(mesh.triangles.size(), {-1, -1, -1});
  for (size_t t = 0; t < mesh.triangles.size(); ++t) {
    const auto& v = mesh.triangles[t];
    for (int e = 0; e < 3; ++e) {
      const auto forward = edgeOwner.find(edgeKey(v[e], v[(e + 1) % 3]));
      const auto across = edgeOwner.find(edgeKey(v[(e + 1) % 3], v[e]));
      if (forward->second >= 0 && across != edgeOwner.end() && across->second >= 0)
        mesh.neighbours[t][e] = across->second;
    }
  }
}

// Each corner adds its face normal weighted by the corner's angle.
void vertexNormals(StockMesh& mesh) {
  std::vector<glm::dvec3> sums(mesh.positions.size(), glm::dvec3(0.0));
  for (const auto& v : mesh.triangles) {
    const glm::dvec3 p[3] = {mesh.positions[v[0]], mesh.positions[v[1]], mesh.positions[v[2]]};
    const glm::dvec3 n = glm::cross(p[1] - p[0], p[2] - p[0]);
    const double length = glm::length(n);
    if (!(length > 0)) continue;
    for (int c = 0; c < 3; ++c) {
      const glm::dvec3 a = p[(c + 1) % 3] - p[c], b = p[(c + 2) % 3] - p[c];
      const double la = glm::length(a), lb = glm::length(b);
      if (!(la > 0 && lb > 0)) continue;
      const double angle = std::acos(std::clamp(glm::dot(a, b) / (la * lb), -1.0, 1.0));
      sums[v[c]] += n / length * angle;
    }
  }
  mesh.packedNormals.resize(sums.size());
  for (size_t i = 0; i < sums.size(); ++i) {
    const double length = glm::length(sums[i]);
    mesh.packedNormals[i] = packNormal(length > 0 ? glm::vec3(sums[i] / length) : glm::vec3(0.0f));
  }
}

}  // namespace

uint32_t packNormal(const glm::vec3& normal) {
  uint32_t packed = 0;
  for (int k = 0; k < 3; ++k) {
    const float c = std::isfinite(normal[k]) ? std::clamp(normal[k], -1.0f, 1.0f) : 0.0f;
    const uint32_t field = static_cast<uint32_t>(std::lround((c + 1.0f) * 511.5f));
    packed |= std::min(field, 1023u) << (10 * k);
  }
  return packed;
}

glm::vec3 unpackNormal(uint32_t packed) {
  glm::vec3 n;
  for (int k = 0; k < 3; ++k) n[k] = static_cast<float>((packed >> (10 * k)) & 1023u) / 511.5f - 1.0f;
  return n;
}

StockMesh StockMesh::fromTriangleSoup(std::span<const float> xyz) {
  StockMesh mesh;
  std::unordered_map<PositionKey, uint32_t, PositionHash> index;
  const size_t triangleCount = xyz.size() / 9;
  index.reserve(triangleCount);
  mesh.triangles.reserve(triangleCount);
  for (size_t t = 0; t < triangleCount; ++t) {
    std::array<uint32_t, 3> corners;
    bool finite = true;
    for (int c = 0; c < 3; ++c) {
      const glm::vec3 p(xyz[9 * t + 3 * c], xyz[9 * t + 3 * c + 1], xyz[9 * t + 3 * c + 2]);
      finite = finite && std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
      auto [it, added] = index.try_emplace(keyOf(p), static_cast<uint32_t>(mesh.positions.size()));
      if (added) mesh.positions.push_back(p);
      corners[c] = it->second;
    }
    if (!finite || corners[0] == corners[1] || corners[1] == corners[2] || corners[2] == corners[0]) continue;
    mesh.triangles.push_back(corners);
  }
  findNeighbours(mesh);
  vertexNormals(mesh);
  return mesh;
}

}  // namespace stock
