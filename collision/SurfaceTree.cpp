#include "collision/SurfaceTree.h"

#include <algorithm>
#include <numeric>
#include <span>

#include <glm/common.hpp>

namespace collision {
namespace {

struct Builder {
  const machine::IndexedMesh& mesh;
  ConvexTree& tree;
  std::vector<glm::vec3> centres;

  glm::vec3 corner(uint32_t triangle, int k) const { return mesh.vertices[mesh.indices[3 * triangle + k]]; }

  std::vector<glm::vec3> boxCorners(std::span<const uint32_t> triangles) const {
    glm::vec3 lo(1e30f), hi(-1e30f);
    for (uint32_t t : triangles)
      for (int k = 0; k < 3; ++k) {
        lo = glm::min(lo, corner(t, k));
        hi = glm::max(hi, corner(t, k));
      }
    std::vector<glm::vec3> c;
    for (int i = 0; i < 8; ++i) c.emplace_back(i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z);
    return c;
  }

  // Appends the hull for these triangles to a node: a leaf with its exact
  // element, or a box with a child node splitting it further.
  void addHull(int32_t node, std::span<uint32_t> triangles) {
    if (triangles.size() <= kLeafTriangles) {
      std::vector<glm::vec3> hull;
      for (uint32_t t : triangles)
        for (int k = 0; k < 3; ++k) hull.push_back(corner(t, k));
      tree.nodes[node].hulls.push_back(std::move(hull));
      tree.nodes[node].children.push_back(-1);
      tree.nodes[node].exact.push_back({0, std::vector<uint32_t>(triangles.begin(), triangles.end())});
      return;
    }
    tree.nodes[node].hulls.push_back(boxCorners(triangles));
    tree.nodes[node].exact.push_back({});
    const int32_t child = split(triangles);
    tree.nodes[node].children.push_back(child);
  }

  // A node of two hulls: the triangles halved by their centres along the
  // longest side of their centres' box.
  int32_t split(std::span<uint32_t> triangles) {
    glm::vec3 lo(1e30f), hi(-1e30f);
    for (uint32_t t : triangles) {
      lo = glm::min(lo, centres[t]);
      hi = glm::max(hi, centres[t]);
    }
    const glm::vec3 extent = hi - lo;
    const int axis = extent.x >= extent.y && extent.x >= extent.z ? 0 : (extent.y >= extent.z ? 1 : 2);
    const size_t half = triangles.size() / 2;
    std::nth_element(triangles.begin(), triangles.begin() + half, triangles.end(),
                     [&](uint32_t a, uint32_t b) { return centres[a][axis] < centres[b][axis]; });
    const int32_t node = int32_t(tree.nodes.size());
    tree.nodes.emplace_back();
    addHull(node, triangles.first(half));
    addHull(node, triangles.subspan(half));
    return node;
  }
};

}  // namespace

ConvexTree surfaceTree(machine::IndexedMesh mesh) {
  ConvexTree tree;
  // Triangles with an index past the vertices are dropped.
  std::vector<uint32_t> kept;
  for (size_t i = 0; i + 2 < mesh.indices.size(); i += 3)
    if (std::max({mesh.indices[i], mesh.indices[i + 1], mesh.indices[i + 2]}) < mesh.vertices.size())
      kept.insert(kept.end(), {mesh.indices[i], mesh.indices[i + 1], mesh.indices[i + 2]});
  mesh.indices = std::move(kept);
  const uint32_t count = uint32_t(mesh.indices.size() / 3);
  if (count == 0) return tree;
  tree.meshes.push_back(std::move(mesh));
  Builder builder{tree.meshes.front(), tree, {}};
  builder.centres.resize(count);
  for (uint32_t t = 0; t < count; ++t)
    builder.centres[t] = (builder.corner(t, 0) + builder.corner(t, 1) + builder.corner(t, 2)) / 3.0f;
  std::vector<uint32_t> all(count);
  std::iota(all.begin(), all.end(), 0u);
  tree.nodes.emplace_back();
  builder.addHull(0, all);
  return tree;
}

}  // namespace collision
