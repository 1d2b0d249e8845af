#include "collision/ConvexTree.h"

#include <algorithm>

#include <glm/common.hpp>
#include <glm/geometric.hpp>

namespace collision {
namespace {

struct Box {
  glm::vec3 min{1e30f}, max{-1e30f};
  void add(const glm::vec3& p) {
    min = glm::min(min, p);
    max = glm::max(max, p);
  }
  bool meets(const Box& o, float slack) const {
    return glm::all(glm::lessThanEqual(min - slack, o.max)) && glm::all(glm::lessThanEqual(o.min - slack, max));
  }
};

// The part's triangles whose boxes meet the piece's box: the decomposition
// approximates, so a little slack keeps triangles at the piece's edge.
std::vector<uint32_t> trianglesNear(const machine::IndexedMesh& mesh, const Box& piece) {
  const float slack = 1e-3f * std::max(1.0f, glm::length(piece.max - piece.min));
  std::vector<uint32_t> near;
  for (uint32_t t = 0; t * 3 + 2 < mesh.indices.size(); ++t) {
    Box box;
    for (int k = 0; k < 3; ++k) box.add(mesh.vertices[mesh.indices[3 * t + k]]);
    if (box.meets(piece, slack)) near.push_back(t);
  }
  return near;
}

}  // namespace

uint32_t ConvexTree::numberHulls(uint32_t first) {
  for (ConvexNode& node : nodes) {
    node.ids.resize(node.hulls.size());
    for (uint32_t& id : node.ids) id = first++;
  }
  return first;
}

ConvexTree treeOf(const machine::Decomposition& decomposition) {
  ConvexTree tree;
  tree.nodes.emplace_back();
  const size_t parts = std::min(decomposition.convex.size(), decomposition.meshes.size());
  for (size_t part = 0; part < parts; ++part) {
    const machine::ConvexPieces& convex = decomposition.convex[part];
    if (convex.vertices.empty()) continue;
    ConvexNode pieces;
    size_t at = 0;
    for (const auto& [number, count] : convex.runs) {
      const size_t end = std::min(convex.vertices.size(), at + count);
      if (end > at) {
        std::vector<glm::vec3> hull(convex.vertices.begin() + at, convex.vertices.begin() + end);
        Box box;
        for (const glm::vec3& v : hull) box.add(v);
        pieces.exact.push_back({uint32_t(tree.meshes.size()), trianglesNear(decomposition.meshes[part], box)});
        pieces.hulls.push_back(std::move(hull));
      }
      at = end;
    }
    // Every piece's vertex: its support is the support of the part's hull.
    tree.nodes.front().hulls.push_back(convex.vertices);
    tree.nodes.front().children.push_back(int32_t(tree.nodes.size()));
    tree.nodes.push_back(std::move(pieces));
    tree.meshes.push_back(decomposition.meshes[part]);
  }
  return tree;
}

ConvexTree treeOfHulls(std::vector<std::vector<glm::vec3>> hulls) {
  ConvexTree tree;
  ConvexNode& root = tree.nodes.emplace_back();
  for (auto& hull : hulls)
    if (!hull.empty()) root.hulls.push_back(std::move(hull));
  return tree;
}

}  // namespace collision
