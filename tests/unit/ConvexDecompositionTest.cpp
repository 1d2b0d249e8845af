// Convex pieces of machine models. The decomposition differs from run to
// run, so the tests check what must hold for any result: pieces convex,
// hugging the model and covering it, and the parts and files around them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <unistd.h>

#include "machine/ConvexDecomposition.h"
#include "machine/MeshCache.h"
#include "support/TestMeshes.h"

namespace {

using machine::IndexedMesh;

IndexedMesh fromSoup(const testsupport::Soup& soup) {
  IndexedMesh mesh;
  for (size_t i = 0; i + 2 < soup.size(); i += 3) {
    mesh.indices.push_back(static_cast<uint32_t>(mesh.vertices.size()));
    mesh.vertices.emplace_back(soup[i], soup[i + 1], soup[i + 2]);
  }
  return mesh;
}

double volumeOf(const std::vector<glm::vec3>& vertices, const std::vector<uint32_t>& triangles) {
  double volume = 0;
  for (size_t t = 0; t + 2 < triangles.size(); t += 3)
    volume += glm::dot(glm::dvec3(vertices[triangles[t]]),
                       glm::cross(glm::dvec3(vertices[triangles[t + 1]]), glm::dvec3(vertices[triangles[t + 2]])));
  return volume / 6;
}

// Signed distance of p above the plane of triangle t (outward positive).
double above(const machine::ConvexHull& hull, size_t t, const glm::dvec3& p) {
  const glm::dvec3 a(hull.vertices[hull.triangles[t]]), b(hull.vertices[hull.triangles[t + 1]]),
      c(hull.vertices[hull.triangles[t + 2]]);
  const glm::dvec3 n = glm::cross(b - a, c - a);
  const double length = glm::length(n);
  return length > 0 ? glm::dot(n, p - a) / length : 0.0;
}

bool inside(const machine::ConvexHull& hull, const glm::dvec3& p, double tolerance) {
  for (size_t t = 0; t + 2 < hull.triangles.size(); t += 3)
    if (above(hull, t, p) > tolerance) return false;
  return true;
}

// An L of 20 x 20 x 5 mm blocks: 3 x 3 voxels with a 2 x 2 corner missing.
IndexedMesh lBlock() {
  const bool filled[3][3][1] = {{{true}, {true}, {true}}, {{true}, {false}, {false}}, {{true}, {false}, {false}}};
  return fromSoup(testsupport::voxelMesh(filled, glm::dvec3(0), 20.0));
}

TEST(ConvexDecompositionTest, WeldingSplitsSeparateBodiesIntoParts) {
  testsupport::Soup two = testsupport::sphereMesh({0, 0, 0}, 5, 1);
  const testsupport::Soup other = testsupport::sphereMesh({20, 0, 0}, 5, 1);
  two.insert(two.end(), other.begin(), other.end());
  IndexedMesh mesh = fromSoup(two);
  // Degenerate and out-of-range triangles are dropped, not crashed on.
  mesh.indices.insert(mesh.indices.end(), {0, 0, 1, 0, 1, 999999});
  const std::vector<IndexedMesh> parts = machine::weldedParts(mesh);
  ASSERT_EQ(parts.size(), 2u);
  for (const IndexedMesh& part : parts) {
    EXPECT_EQ(part.vertices.size(), 42u);  // the subdivided icosahedron, welded
    EXPECT_EQ(part.indices.size(), 80u * 3);
    EXPECT_NEAR(volumeOf(part.vertices, part.indices), 4.0 / 3 * M_PI * 125, 0.15 * 4.0 / 3 * M_PI * 125);
  }
  EXPECT_TRUE(machine::weldedParts(IndexedMesh{}).empty());
}

TEST(ConvexDecompositionTest, SimplifyingKeepsToTheBudgetAndTheShape) {
  const IndexedMesh sphere = machine::weldedParts(fromSoup(testsupport::sphereMesh({1, 2, 3}, 10, 4))).at(0);
  ASSERT_EQ(sphere.indices.size(), 5120u * 3);
  const IndexedMesh small = machine::simplified(sphere, 500);
  EXPECT_LE(small.indices.size(), 500u * 3);
  EXPECT_GE(small.indices.size(), 100u * 3);
  for (uint32_t index : small.indices) ASSERT_LT(index, small.vertices.size());
  for (const glm::vec3& v : small.vertices) EXPECT_NEAR(glm::distance(glm::dvec3(v), glm::dvec3(1, 2, 3)), 10.0, 1e-3);
  EXPECT_GT(volumeOf(small.vertices, small.indices), 0.9 * volumeOf(sphere.vertices, sphere.indices));
}

TEST(ConvexDecompositionTest, PiecesAreConvexHugTheModelAndCoverIt) {
  const IndexedMesh l = machine::weldedParts(lBlock()).at(0);
  const double lVolume = volumeOf(l.vertices, l.indices);
  ASSERT_NEAR(lVolume, 5 * 20 * 20 * 20, 1e-3);
  const std::vector<machine::ConvexHull> pieces = machine::convexPieces(l);
  ASSERT_GE(pieces.size(), 2u) << "an L is not convex";
  double piecesVolume = 0;
  for (const machine::ConvexHull& piece : pieces) {
    ASSERT_GE(piece.vertices.size(), 4u);
    for (uint32_t index : piece.triangles) ASSERT_LT(index, piece.vertices.size());
    // Convex: no vertex of the piece lies above any of its faces.
    for (size_t t = 0; t + 2 < piece.triangles.size(); t += 3)
      for (const glm::vec3& v : piece.vertices) EXPECT_LE(above(piece, t, glm::dvec3(v)), 1e-3);
    for (const glm::vec3& v : piece.vertices)
      EXPECT_TRUE(v.x > -1e-3 && v.y > -1e-3 && v.z > -1e-3 && v.x < 60.001f && v.y < 60.001f && v.z < 20.001f);
    piecesVolume += volumeOf(piece.vertices, piece.triangles);
  }
  // Together the pieces cover the model and add little around it.
  for (const glm::vec3& v : l.vertices)
    EXPECT_TRUE(std::any_of(pieces.begin(), pieces.end(),
                            [&](const machine::ConvexHull& piece) { return inside(piece, glm::dvec3(v), 1e-2); }))
        << v.x << " " << v.y << " " << v.z;
  EXPECT_GT(piecesVolume, 0.99 * lVolume);
  EXPECT_LT(piecesVolume, 1.3 * lVolume);
}

TEST(ConvexDecompositionTest, DecompositionsGoThroughTheCacheWhole) {
  testsupport::Soup soup = testsupport::sphereMesh({0, 0, 100}, 5, 2);
  const IndexedMesh l = lBlock();
  IndexedMesh mesh = fromSoup(soup);
  const uint32_t offset = static_cast<uint32_t>(mesh.vertices.size());
  mesh.vertices.insert(mesh.vertices.end(), l.vertices.begin(), l.vertices.end());
  for (uint32_t index : l.indices) mesh.indices.push_back(index + offset);

  const machine::Decomposition d = machine::decompose(mesh);
  ASSERT_EQ(d.convex.size(), 2u);
  ASSERT_EQ(d.meshes.size(), 2u);
  for (const machine::ConvexPieces& part : d.convex) {
    ASSERT_FALSE(part.runs.empty());
    size_t covered = 0;
    for (size_t r = 0; r < part.runs.size(); ++r) {
      EXPECT_EQ(part.runs[r].first, r);
      covered += part.runs[r].second;
    }
    EXPECT_EQ(covered, part.vertices.size());
  }
  const std::filesystem::path root =
      std::filesystem::path(::testing::TempDir()) / ("decomposition-" + std::to_string(::getpid()));
  const machine::MeshCache cache(root);
  ASSERT_TRUE(cache.write(9, d));
  const auto read = cache.read(9);
  std::filesystem::remove_all(root);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(*read, d);
}

}  // namespace
