#pragma once
// A convex tree for any triangle mesh: its triangles split in halves along
// their longest extent until at most kLeafTriangles remain. A split's
// halves are their boxes' corners (conservative hulls); a leaf's hull is
// its triangles' vertices and its exact element the triangles themselves.
// The design model, fixtures, tools and any machine model still without
// convex pieces are checked through such trees.
#include <cstddef>

#include "collision/ConvexTree.h"

namespace collision {

constexpr size_t kLeafTriangles = 48;

ConvexTree surfaceTree(machine::IndexedMesh mesh);

}  // namespace collision
