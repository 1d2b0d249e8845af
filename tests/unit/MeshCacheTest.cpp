// The convex decomposition cache: keys, files, freshness and clean-up.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <climits>
#include <cstdint>

#include <unistd.h>

#include "machine/GeometryKey.h"
#include "machine/MeshCache.h"

namespace {

namespace fs = std::filesystem;
using machine::Decomposition;
using machine::MeshCache;

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
