#pragma once
// The contact test of two posed collision objects.
//
// Every hull of the first object's node is tried against every hull of the
// second's (first object outer) with a GJK query; a touching pair of hulls
// leads to their children, or at the finest level to their exact elements,
// or is contact itself when there are none. True at the first contact; when
// finest hulls met but no surfaces crossed, a point of either object inside
// the other's closed mesh is contact too.
//
// A tester keeps the last simplex of each hull pair, keyed by the hulls'
// identities (a x 31 + b), with the sample it was found at; a simplex from
// the current or the previous sample starts the next query of that pair.
// The table belongs to one thread: each thread of a check run has its own
// tester, and takes consecutive samples in blocks, so its entries stay warm.
#include <cstdint>
#include <unordered_map>
#include <vector>

#include <glm/mat3x3.hpp>
#include <glm/vec3.hpp>

#include "collision/ConvexTree.h"
#include "collision/Gjk.h"
#include "collision/TriangleContact.h"

namespace collision {

struct Pose {
  glm::dmat3 rotation{1.0};
  glm::dvec3 translation{0.0};
};

struct PosedTree {
  const ConvexTree* tree = nullptr;
  Pose pose;
};

struct PairFigures {
  uint64_t queries = 0;      // GJK queries
  uint64_t warmStarts = 0;   // queries that began from a stored simplex
  uint64_t iterations = 0;   // GJK support steps
  uint64_t exactTests = 0;   // finest-level element tests
};

// Meshes of more triangles are not searched for a solid swallowed whole
// (design models): a tool enters them through their surface first.
constexpr size_t kLargestSwallowingMesh = 20000;

// One per thread and check set: it keeps simplices and triangles of the
// set's objects between samples.
class PairTester {
 public:
  bool touch(const PosedTree& first, const PosedTree& second, uint32_t sample);
  const PairFigures& figures() const { return figures_; }

 private:
  struct Stored {
    uint32_t a = 0, b = 0;
    uint32_t sample = 0;
    Simplex simplex;
  };

  bool nodesTouch(const PosedTree& first, int32_t nodeA, const PosedTree& second, int32_t nodeB, uint32_t sample);
  bool hullsTouch(const PosedHull& a, uint32_t idA, const PosedHull& b, uint32_t idB, uint32_t sample);
  bool swallows(const PosedTree& outer, const PosedTree& inner);
  bool meshMeetsHull(const PosedTree& side, const ExactElement& element, const PosedHull& hull);
  bool exactTouch(const PosedTree& first, const ExactElement& a, const PosedTree& second, const ExactElement& b);

  std::unordered_map<uint64_t, Stored> table_;
  // The triangles of the meshes swallows tested, in their own frame: a
  // point is taken into the mesh's frame instead of the mesh to the point's.
  std::unordered_map<const machine::IndexedMesh*, std::vector<Triangle>> ownTriangles_;
  bool finestTouched_ = false;
  PairFigures figures_;
};

}  // namespace collision
