#include "machine/ConvexDecomposition.h"

#include <algorithm>
#include <mutex>
#include <numeric>
#include <unordered_map>

#include <HACD/hacdHACD.h>
#include <meshoptimizer.h>

namespace machine {
namespace {

// The decomposition library keeps process-wide state between calls, so one
// call runs at a time; its own parallel loops still overlap other work.
std::mutex decompositionMutex;

class DisjointSets {
 public:
  explicit DisjointSets(size_t n) : parent_(n) { std::iota(parent_.begin(), parent_.end(), size_t{0}); }
  size_t find(size_t i) {
    while (parent_[i] != i) i = parent_[i] = parent_[parent_[i]];
    return i;
  }
  void join(size_t a, size_t b) { parent_[find(a)] = find(b); }

 private:
  std::vector<size_t> parent_;
};

bool validTriangle(const IndexedMesh& mesh, size_t t) {
  const uint32_t a = mesh.indices[t], b = mesh.indices[t + 1], c = mesh.indices[t + 2];
  const size_t n = mesh.vertices.size();
  return a < n && b < n && c < n && a != b && b != c && a != c;
}

// Keeps the vertices the indices use, renumbered in first use.
IndexedMesh compacted(const std::vector<glm::vec3>& vertices, const std::vector<uint32_t>& indices) {
  IndexedMesh out;
  std::unordered_map<uint32_t, uint32_t> renumber;
  out.indices.reserve(indices.size());
  for (uint32_t index : indices) {
    auto [it, added] = renumber.try_emplace(index, static_cast<uint32_t>(out.vertices.size()));
    if (added) out.vertices.push_back(vertices[index]);
    out.indices.push_back(it->second);
  }
  return out;
}

struct HullSettings {
  double concavity;
  size_t verticesPerHull;
};

// Coarse parts may stray further from their pieces; fine parts (many
// triangles, so many features) get tighter pieces with more vertices.
HullSettings settingsFor(size_t indices, const DecompositionSettings& settings) {
  if (indices >= settings.fineFromIndices) return {50.0, 64};
  return {200.0, 32};
}

}  // namespace

std::vector<IndexedMesh> weldedParts(const IndexedMesh& mesh) {
  std::vector<uint32_t> triangles;
  triangles.reserve(mesh.indices.size());
  for (size_t t = 0; t + 2 < mesh.indices.size(); t += 3)
    if (validTriangle(mesh, t)) triangles.insert(triangles.end(), mesh.indices.begin() + t, mesh.indices.begin() + t + 3);
  if (triangles.empty()) return {};

  std::vector<uint32_t> remap(mesh.vertices.size());
  const size_t unique = meshopt_generateVertexRemap(remap.data(), triangles.data(), triangles.size(),
                                                    mesh.vertices.data(), mesh.vertices.size(), sizeof(glm::vec3));
  std::vector<glm::vec3> vertices(unique);
  meshopt_remapVertexBuffer(vertices.data(), mesh.vertices.data(), mesh.vertices.size(), sizeof(glm::vec3), remap.data());
  meshopt_remapIndexBuffer(triangles.data(), triangles.data(), triangles.size(), remap.data());

  DisjointSets sets(unique);
  for (size_t t = 0; t < triangles.size(); t += 3) {
    sets.join(triangles[t], triangles[t + 1]);
    sets.join(triangles[t], triangles[t + 2]);
  }
  std::unordered_map<size_t, size_t> partOf;
  std::vector<std::vector<uint32_t>> partIndices;
  for (size_t t = 0; t < triangles.size(); t += 3) {
    if (triangles[t] == triangles[t + 1] || triangles[t + 1] == triangles[t + 2] || triangles[t] == triangles[t + 2])
      continue;  // collapsed by welding
    auto [it, added] = partOf.try_emplace(sets.find(triangles[t]), partIndices.size());
    if (added) partIndices.emplace_back();
    partIndices[it->second].insert(partIndices[it->second].end(), triangles.begin() + t, triangles.begin() + t + 3);
  }
  std::vector<IndexedMesh> parts;
  parts.reserve(partIndices.size());
  for (const auto& indices : partIndices) parts.push_back(compacted(vertices, indices));
  return parts;
}

IndexedMesh simplified(const IndexedMesh& part, size_t triangles) {
  const size_t target = std::max<size_t>(triangles, 4) * 3;
  if (part.indices.size() <= target) return part;
  std::vector<uint32_t> indices(part.indices.size());
  const float* positions = &part.vertices.front().x;
  size_t count = meshopt_simplify(indices.data(), part.indices.data(), part.indices.size(), positions,
                                  part.vertices.size(), sizeof(glm::vec3), target, 0.02f, 0, nullptr);
  // Topology can stop the careful simplifier short of the budget.
  if (count > target)
    count = meshopt_simplifySloppy(indices.data(), part.indices.data(), part.indices.size(), positions,
                                   part.vertices.size(), sizeof(glm::vec3), target, 0.05f, nullptr);
  if (count < 12) return part;
  indices.resize(count);
  return compacted(part.vertices, indices);
}

std::vector<ConvexHull> convexPieces(const IndexedMesh& part, const DecompositionSettings& settings) {
  const IndexedMesh input = simplified(part, settings.triangleBudget);
  if (input.indices.size() < 12) return {};
  std::vector<HACD::Vec3<HACD::Real>> points;
  points.reserve(input.vertices.size());
  for (const glm::vec3& v : input.vertices) points.emplace_back(v.x, v.y, v.z);
  std::vector<HACD::Vec3<long>> triangles;
  triangles.reserve(input.indices.size() / 3);
  for (size_t t = 0; t < input.indices.size(); t += 3)
    triangles.emplace_back(input.indices[t], input.indices[t + 1], input.indices[t + 2]);

  const HullSettings hull = settingsFor(part.indices.size(), settings);
  std::vector<ConvexHull> pieces;
  std::lock_guard lock(decompositionMutex);
  HACD::HACD decomposition;
  decomposition.SetPoints(points.data());
  decomposition.SetNPoints(points.size());
  decomposition.SetTriangles(triangles.data());
  decomposition.SetNTriangles(triangles.size());
  decomposition.SetCompacityWeight(0.1);
  decomposition.SetVolumeWeight(0.0);
  decomposition.SetNClusters(1);
  decomposition.SetNVerticesPerCH(hull.verticesPerHull);
  decomposition.SetConcavity(hull.concavity);
  // Machine models are mostly large flat faces: concavity measured at the
  // vertices alone misses hollows between them, so faces and extra points
  // along the normals are sampled too.
  decomposition.SetAddExtraDistPoints(true);
  decomposition.SetAddNeighboursDistPoints(false);
  decomposition.SetAddFacesPoints(true);
  if (!decomposition.Compute()) return {};
  for (size_t c = 0; c < decomposition.GetNClusters(); ++c) {
    const size_t nPoints = decomposition.GetNPointsCH(c), nTriangles = decomposition.GetNTrianglesCH(c);
    if (nPoints < 4 || nTriangles < 4) continue;
    std::vector<HACD::Vec3<HACD::Real>> hullPoints(nPoints);
    std::vector<HACD::Vec3<long>> hullTriangles(nTriangles);
    if (!decomposition.GetCH(c, hullPoints.data(), hullTriangles.data())) continue;
    ConvexHull piece;
    for (auto& p : hullPoints)
      piece.vertices.emplace_back(static_cast<float>(p.X()), static_cast<float>(p.Y()), static_cast<float>(p.Z()));
    for (auto& t : hullTriangles)
      for (long index : {t.X(), t.Y(), t.Z()}) piece.triangles.push_back(static_cast<uint32_t>(index));
    pieces.push_back(std::move(piece));
  }
  return pieces;
}

Decomposition decompose(const IndexedMesh& mesh, const DecompositionSettings& settings) {
  Decomposition result;
  for (IndexedMesh& part : weldedParts(mesh)) {
    ConvexPieces convex;
    uint32_t number = 0;
    for (const ConvexHull& piece : convexPieces(part, settings)) {
      convex.vertices.insert(convex.vertices.end(), piece.vertices.begin(), piece.vertices.end());
      convex.runs.emplace_back(number++, static_cast<uint32_t>(piece.vertices.size()));
    }
    result.convex.push_back(std::move(convex));
    result.meshes.push_back(std::move(part));
  }
  return result;
}

}  // namespace machine
