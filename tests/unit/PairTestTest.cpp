// The contact test of two convex trees: descent through the hull levels,
// the exact finest level, solids swallowed whole, the warm-start rule.
#include <gtest/gtest.h>

#include "collision/ConvexTree.h"
#include "collision/PairTest.h"
#include "collision/SurfaceTree.h"

namespace {

using glm::vec3;

// A closed box mesh (outward triangles).
machine::IndexedMesh boxMesh(vec3 lo, vec3 hi) {
  machine::IndexedMesh m;
  for (int i = 0; i < 8; ++i) m.vertices.emplace_back(i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z);
  m.indices = {0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 4, 1, 5, 4, 2, 6, 3, 3, 6, 7, 0, 4, 2, 2, 4, 6, 1, 3, 5, 3, 7, 5};
  return m;
}

std::vector<vec3> corners(vec3 lo, vec3 hi) { return boxMesh(lo, hi).vertices; }

// An L-shaped prism, 10 x 10 x 2 with the corner 5..10 x 5..10 cut away:
// one part whose two pieces are the boxes 0..10 x 0..5 and 0..5 x 5..10,
// each grown by `slack` as a decomposition's hulls may be. Its mesh is the
// two boxes' triangles (the shared face inside does not change what is
// solid).
machine::Decomposition lShape(float slack) {
  machine::Decomposition d;
  machine::ConvexPieces pieces;
  for (const auto& [lo, hi] : {std::pair{vec3(0, 0, 0), vec3(10, 5, 2)}, std::pair{vec3(0, 5, 0), vec3(5, 10, 2)}}) {
    const std::vector<vec3> c = corners(lo - slack, hi + slack);
    pieces.runs.emplace_back(uint32_t(pieces.runs.size()), uint32_t(c.size()));
    pieces.vertices.insert(pieces.vertices.end(), c.begin(), c.end());
  }
  d.convex.push_back(pieces);
  machine::IndexedMesh mesh = boxMesh({0, 0, 0}, {10, 5, 2});
  const machine::IndexedMesh arm = boxMesh({0, 5, 0}, {5, 10, 2});
  for (uint32_t i : arm.indices) mesh.indices.push_back(i + 8);
  mesh.vertices.insert(mesh.vertices.end(), arm.vertices.begin(), arm.vertices.end());
  d.meshes.push_back(mesh);
  return d;
}

machine::Decomposition boxDecomposition(vec3 lo, vec3 hi) {
  machine::Decomposition d;
  d.convex.push_back({corners(lo, hi), {{0, 8}}});
  d.meshes.push_back(boxMesh(lo, hi));
  return d;
}

TEST(PairTest, TheTreesLevelsDecideContact) {
  collision::ConvexTree tight = collision::treeOf(lShape(0.0f));
  collision::ConvexTree loose = collision::treeOf(lShape(0.5f));
  collision::ConvexTree surface = collision::surfaceTree(lShape(0.0f).meshes.front());
  const uint32_t next = tight.numberHulls(0);
  loose.numberHulls(0);
  surface.numberHulls(0);
  // A unit probe, as a lone hull and as a decomposed box with its mesh.
  collision::ConvexTree probeHull = collision::treeOfHulls({corners({0, 0, 0}, {1, 1, 1})});
  collision::ConvexTree probeMesh = collision::treeOf(boxDecomposition({0, 0, 0}, {1, 1, 1}));
  collision::ConvexTree probeSurface = collision::surfaceTree(boxMesh({0, 0, 0}, {1, 1, 1}));
  probeHull.numberHulls(next);
  probeMesh.numberHulls(next + 10);
  probeSurface.numberHulls(next + 20);
  struct Case {
    const char* what;
    vec3 at;
    bool slackPieces;
    bool contact;
  };
  const Case cases[] = {
      {"in the cut-away corner: inside the part's hull, outside its pieces", {7, 7, 0.5f}, false, false},
      {"through the arm's face", {4.5f, 7, 0.5f}, false, true},
      {"inside the arm, touching no face", {1, 7, 0.5f}, false, true},
      {"above the part", {2, 2, 2.5f}, false, false},
      {"in the pieces' slack but clear of the mesh", {5.2f, 7, 0.5f}, true, false},
      {"in the slack and through the mesh", {4.8f, 7, 0.5f}, true, true},
  };
  // The part's own surface tree stands for pieces without slack.
  for (const collision::ConvexTree* probe : {&probeHull, &probeMesh, &probeSurface}) {
    for (const Case& c : cases) {
      for (const collision::ConvexTree* shape : {c.slackPieces ? &loose : &tight, c.slackPieces ? &loose : &surface}) {
        collision::PairTester tester;
        const collision::PosedTree part{shape, {}};
        const collision::PosedTree posed{probe, {glm::dmat3(1.0), glm::dvec3(c.at)}};
        const std::string which = std::string(probe == &probeHull ? " (hull" : probe == &probeMesh ? " (mesh" : " (surface") +
                                  (shape == &surface ? " against the surface tree)" : ")");
        EXPECT_EQ(tester.touch(part, posed, 0), c.contact) << c.what << which;
        EXPECT_EQ(tester.touch(posed, part, 0), c.contact) << c.what << which << " swapped";
      }
    }
  }
}

// Poses of consecutive samples start from the stored simplices; a gap of
// more than one sample starts afresh. A turned pose reaches the same
// verdict as an unturned one where the shapes allow.
TEST(PairTest, ConsecutiveSamplesStartWarm) {
  collision::ConvexTree part = collision::treeOf(boxDecomposition({0, 0, 0}, {10, 10, 10}));
  collision::ConvexTree probe = collision::treeOfHulls({corners({-1, -1, -1}, {1, 1, 1})});
  probe.numberHulls(part.numberHulls(0));
  collision::PairTester tester;
  for (uint32_t sample = 0; sample < 10; ++sample) {
    const glm::dvec3 at(-5.0 + 0.3 * sample, 5.0, 5.0);
    EXPECT_EQ(tester.touch({&part, {}}, {&probe, {glm::dmat3(1.0), at}}, sample), at.x >= -1.0) << sample;
  }
  EXPECT_GE(tester.figures().warmStarts, 9u);
  const uint64_t warm = tester.figures().warmStarts;
  tester.touch({&part, {}}, {&probe, {glm::dmat3(1.0), glm::dvec3(20, 5, 5)}}, 12);
  EXPECT_EQ(tester.figures().warmStarts, warm);
  // Turned by 45 degrees about z the probe reaches sqrt(2) along x.
  const double c = std::sqrt(0.5);
  const glm::dmat3 turn(c, c, 0, -c, c, 0, 0, 0, 1);
  EXPECT_TRUE(tester.touch({&part, {}}, {&probe, {turn, glm::dvec3(-1.3, 5, 5)}}, 13));
  EXPECT_FALSE(tester.touch({&part, {}}, {&probe, {turn, glm::dvec3(-1.5, 5, 5)}}, 14));
}

}  // namespace
