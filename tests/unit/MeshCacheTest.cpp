// Convex pieces of machine models and the cache that keeps them: keys,
// files, freshness and clean-up. The decomposition differs from run to run,
// so its tests check what must hold for any result: pieces convex, hugging
// the model and covering it, and the parts around them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include <climits>
#include <cstdint>

#include <unistd.h>

#include "machine/ConvexDecomposition.h"
#include "machine/GeometryKey.h"
#include "machine/MeshCache.h"
#include "support/TestMeshes.h"

namespace {

namespace fs = std::filesystem;
using machine::Decomposition;
using machine::IndexedMesh;
using machine::MeshCache;

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

// Each welded part of the model decomposed, its pieces' vertices in runs.
TEST(ConvexDecompositionTest, EveryPartIsDecomposedInRuns) {
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
}

// Expected keys from tests/data/geometry_keys.py, which hashes apart from
// the library.
TEST(GeometryKeyTest, MatchesTheIndependentScript) {
  struct Case {
    const char* name;
    std::vector<glm::vec3> vertices;
    std::vector<uint32_t> indices;
    uint64_t key;
  } cases[] = {
      {"empty", {}, {}, 16881u},
      {"triangle", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2}, 14031277943266931402u},
      {"tetrahedron",
       {{0, 0, 0}, {10.5f, 0, 0}, {0, -3.25f, 0}, {0, 0, 7}},
       {0, 2, 1, 0, 1, 3, 0, 3, 2, 1, 2, 3},
       13085990962078002088u},
      {"large indices", {{1e6f, -1e-6f, 123.456f}}, {0, 4294967295u, 65536}, 15105792761584862504u},
  };
  for (const Case& c : cases) EXPECT_EQ(machine::geometryKey(c.vertices, c.indices), c.key) << c.name;

  // Zeros of either sign are one coordinate; any other sign change is not.
  const std::vector<glm::vec3> positive{{0, 1, 0}}, negative{{-0.0f, 1, -0.0f}}, flipped{{0, -1, 0}};
  EXPECT_EQ(machine::geometryKey(positive, {}), machine::geometryKey(negative, {}));
  EXPECT_NE(machine::geometryKey(positive, {}), machine::geometryKey(flipped, {}));
}

class MeshCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::path(::testing::TempDir()) / ("mesh-cache-" + std::to_string(::getpid()));
    fs::remove_all(root);
  }
  void TearDown() override { fs::remove_all(root); }

  MeshCache cacheAt(int64_t seconds) const {
    return MeshCache(root, [seconds] { return seconds; });
  }

  static Decomposition parts(size_t count) {
    Decomposition d;
    for (size_t i = 0; i < count; ++i) {
      const float s = static_cast<float>(i + 1);
      d.convex.push_back({{{0, 0, 0}, {s, 0, 0}, {0, s, 0}, {0, 0, s}, {s, s, s}}, {{0, 4}, {1, 1}}});
      d.meshes.push_back({{{0, 0, 0}, {s, 0, 0}, {0, s, 0}}, {0, 1, 2}});
    }
    return d;
  }

  static void overwrite(const fs::path& path, const std::vector<uint32_t>& words) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(words.data()), static_cast<std::streamsize>(words.size() * 4));
  }

  fs::path root;
  const int64_t t0 = 1'800'000'000;
};

TEST_F(MeshCacheTest, PartsRoundTripUnderDecimalNames) {
  const MeshCache cache = cacheAt(t0);
  const Decomposition written = parts(11);
  ASSERT_TRUE(cache.write(42, written));
  EXPECT_TRUE(fs::exists(root / "42" / "Convex" / "10.dat"));
  EXPECT_TRUE(fs::exists(root / "42" / "Mesh" / "10.dat"));
  EXPECT_FALSE(fs::exists(root / "42" / "Convex" / "010.dat"));
  EXPECT_EQ(fs::file_size(root / "42" / "timestamp"), 8u);
  const auto read = cache.read(42);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(*read, written);

  // A smaller decomposition replaces every part of the larger one.
  ASSERT_TRUE(cache.write(42, parts(2)));
  EXPECT_EQ(cache.read(42)->convex.size(), 2u);

  // No parts: only the timestamp, read back as a decomposition of nothing.
  ASSERT_TRUE(cache.write(7, Decomposition{}));
  EXPECT_FALSE(fs::exists(root / "7" / "Convex"));
  ASSERT_TRUE(cache.read(7).has_value());
  EXPECT_TRUE(cache.read(7)->convex.empty());

  // Counts that differ write nothing.
  Decomposition uneven = parts(2);
  uneven.meshes.pop_back();
  EXPECT_FALSE(cache.write(8, uneven));
  EXPECT_FALSE(fs::exists(root / "8"));
}

TEST_F(MeshCacheTest, EntriesLiveFor336Hours) {
  ASSERT_TRUE(cacheAt(t0).write(1, parts(1)));
  ASSERT_TRUE(cacheAt(t0).write(2, parts(1)));
  ASSERT_TRUE(cacheAt(t0 + 3600).write(3, parts(1)));
  const int64_t justFresh = t0 + 336 * 3600 - 1;  // 335 whole hours
  EXPECT_TRUE(cacheAt(justFresh).read(1).has_value());
  const int64_t twoWeeks = t0 + 336 * 3600;
  EXPECT_FALSE(cacheAt(twoWeeks).read(1).has_value());
  EXPECT_TRUE(cacheAt(twoWeeks).read(3).has_value());

  // An entry without a timestamp is stale too; clean-up removes the stale
  // ones and keeps the fresh.
  fs::remove(root / "2" / "timestamp");
  EXPECT_EQ(cacheAt(twoWeeks).cleanUp(), 2u);
  EXPECT_FALSE(fs::exists(root / "1"));
  EXPECT_FALSE(fs::exists(root / "2"));
  EXPECT_TRUE(fs::exists(root / "3"));
  // A timestamp from far ahead of the clock, or the extremes of its word,
  // is not believed.
  ASSERT_TRUE(cacheAt(twoWeeks + 7200).write(4, parts(1)));
  EXPECT_FALSE(cacheAt(twoWeeks).read(4).has_value());
  EXPECT_TRUE(cacheAt(twoWeeks + 3601).read(4).has_value());  // 59 minutes ahead
  for (int64_t extreme : {INT64_MIN, INT64_MAX}) {
    std::ofstream(root / "4" / "timestamp", std::ios::binary).write(reinterpret_cast<const char*>(&extreme), 8);
    EXPECT_FALSE(cacheAt(twoWeeks).read(4).has_value());
  }
  // A missing root has nothing to clean.
  fs::remove_all(root);
  EXPECT_EQ(cacheAt(twoWeeks).cleanUp(), 0u);
}

TEST_F(MeshCacheTest, DamagedFilesAreStale) {
  const MeshCache cache = cacheAt(t0);
  const fs::path convex = root / "5" / "Convex" / "0.dat", mesh = root / "5" / "Mesh" / "0.dat";
  const uint32_t one = 0x3f800000;  // 1.0f
  struct Case {
    const char* what;
    fs::path file;
    std::vector<uint32_t> words;
    bool readable;
  } cases[] = {
      {"vertex count past the end", convex, {5, one, one, one}, false},
      {"runs past the vertices", convex, {1, one, one, one, 0, 2}, false},
      {"runs short of the vertices", convex, {2, one, one, one, one, one, one, 0, 1}, false},
      {"half a run", convex, {1, one, one, one, 0}, false},
      {"no runs: no pieces", convex, {1, one, one, one}, true},
      {"index past the vertices", mesh, {1, one, one, one, 0, 0, 1}, false},
      {"a partial triangle", mesh, {1, one, one, one, 0, 0}, false},
      {"empty file", mesh, {}, false},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(cache.write(5, parts(1)));
    overwrite(c.file, c.words);
    EXPECT_EQ(cache.read(5).has_value(), c.readable) << c.what;
  }
  ASSERT_TRUE(cache.write(5, parts(1)));
  fs::remove(mesh);
  EXPECT_FALSE(cache.read(5).has_value()) << "a convex file without its mesh";
  ASSERT_TRUE(cache.write(5, parts(1)));
  overwrite(root / "5" / "timestamp", {0});
  EXPECT_FALSE(cache.read(5).has_value()) << "a short timestamp";
}

}  // namespace
