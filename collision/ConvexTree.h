#pragma once
// A collision object's shape as a tree of convex pieces.
//
// A node lists convex hulls (vertex lists). Hull i of a node either has a
// child node (children[i]) of finer hulls covering the same part, or, at the
// finest level, may carry an exact element: the triangles of the part's
// mesh near it. A model's tree is the hull of each part at the root, each
// part's pieces below it and the part's triangles below those; a tool's is
// one level of revolved frusta, exact in themselves.
#include <cstdint>
#include <vector>

#include <glm/vec3.hpp>

#include "machine/MeshCache.h"

namespace collision {

struct ExactElement {
  uint32_t mesh = 0;                // the tree's mesh it belongs to
  std::vector<uint32_t> triangles;  // triangle numbers in that mesh
};

struct ConvexNode {
  std::vector<std::vector<glm::vec3>> hulls;
  std::vector<uint32_t> ids;        // each hull's identity within a check run
  std::vector<int32_t> children;    // per hull the child node, or -1; empty: none
  std::vector<ExactElement> exact;  // per hull at the finest level; empty: none

  bool hasChildren() const { return !children.empty(); }
};

struct ConvexTree {
  std::vector<ConvexNode> nodes;  // the root first
  std::vector<machine::IndexedMesh> meshes;

  bool empty() const { return nodes.empty() || nodes.front().hulls.empty(); }
  // Numbers every hull from `first` on, in node order; the next free number.
  uint32_t numberHulls(uint32_t first);
};

// The tree of a decomposed model: per part its hull at the root, the pieces
// below it, each with the part's triangles whose boxes meet the piece's box.
ConvexTree treeOf(const machine::Decomposition& decomposition);

// A tree of one level from ready convex hulls, exact as they are.
ConvexTree treeOfHulls(std::vector<std::vector<glm::vec3>> hulls);

}  // namespace collision
