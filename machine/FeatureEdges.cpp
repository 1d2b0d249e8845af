#include "machine/FeatureEdges.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <utility>

#include <glm/geometric.hpp>
#include <glm/trigonometric.hpp>

namespace machine {
namespace {

struct PositionHash {
  size_t operator()(const glm::vec3& p) const {
    const std::hash<float> h;
    return h(p.x) ^ (h(p.y) * 0x9E3779B97F4A7C15ull) ^ (h(p.z) * 0xC2B2AE3D27D4EB4Full);
  }
};

// One index per distinct position: the first vertex found there.
std::vector<uint32_t> weldedIndices(const std::vector<glm::vec3>& vertices) {
  std::unordered_map<glm::vec3, uint32_t, PositionHash> first;
  first.reserve(vertices.size());
  std::vector<uint32_t> welded(vertices.size());
  for (uint32_t v = 0; v < vertices.size(); ++v) welded[v] = first.try_emplace(vertices[v], v).first->second;
  return welded;
}

struct EdgeFaces {
  glm::vec3 normal{0.0f};  // the first face's
  uint32_t faces = 0;
  bool crease = false;
};

}  // namespace

std::vector<uint32_t> featureEdges(const IndexedMesh& mesh, float creaseDegrees) {
  const std::vector<uint32_t> welded = weldedIndices(mesh.vertices);
  const float cosLimit = std::cos(glm::radians(creaseDegrees));
  std::unordered_map<uint64_t, EdgeFaces> edges;
  edges.reserve(mesh.indices.size());
  for (size_t t = 0; t + 2 < mesh.indices.size(); t += 3) {
    uint32_t corner[3];
    bool valid = true;
    for (int k = 0; k < 3; ++k) {
      const uint32_t index = mesh.indices[t + k];
      valid = valid && index < welded.size();
      corner[k] = valid ? welded[index] : 0;
    }
    if (!valid || corner[0] == corner[1] || corner[1] == corner[2] || corner[0] == corner[2]) continue;
    const glm::vec3 n = glm::cross(mesh.vertices[corner[1]] - mesh.vertices[corner[0]],
                                   mesh.vertices[corner[2]] - mesh.vertices[corner[0]]);
    const float length = glm::length(n);
    if (!(length > 0.0f)) continue;
    const glm::vec3 normal = n / length;
    for (int k = 0; k < 3; ++k) {
      const uint32_t a = std::min(corner[k], corner[(k + 1) % 3]), b = std::max(corner[k], corner[(k + 1) % 3]);
      EdgeFaces& e = edges[(uint64_t(a) << 32) | b];
      if (e.faces == 0)
        e.normal = normal;
      else if (glm::dot(e.normal, normal) < cosLimit)
        e.crease = true;
      ++e.faces;
    }
  }
  std::vector<std::pair<uint32_t, uint32_t>> found;
  for (const auto& [key, e] : edges)
    if (e.faces != 2 || e.crease) found.emplace_back(uint32_t(key >> 32), uint32_t(key));
  // The same mesh gives the same line numbers on every run.
  std::sort(found.begin(), found.end());
  std::vector<uint32_t> pairs;
  pairs.reserve(found.size() * 2);
  for (const auto& [a, b] : found) {
    pairs.push_back(a);
    pairs.push_back(b);
  }
  return pairs;
}

}  // namespace machine
