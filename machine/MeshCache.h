#pragma once
// The on-disk cache of convex decompositions: one entry folder per mesh,
// named by its geometry key, holding per part a convex file (vertices and
// the run-length list of their piece numbers) and a mesh file (vertices and
// triangle indices), then a timestamp written last. Entries younger than two
// weeks are read back; older, partial or malformed ones are rebuilt, and
// stale ones are removed when a view starts. All files are little-endian.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include <glm/vec3.hpp>

namespace machine {

struct ConvexPieces {
  std::vector<glm::vec3> vertices;
  // {piece number, run length} covering the vertices in order.
  std::vector<std::pair<uint32_t, uint32_t>> runs;

  bool operator==(const ConvexPieces&) const = default;
};

struct IndexedMesh {
  std::vector<glm::vec3> vertices;
  std::vector<uint32_t> indices;  // three per triangle

  bool operator==(const IndexedMesh&) const = default;
};

// Per part of a mesh: its convex pieces and its exact mesh.
struct Decomposition {
  std::vector<ConvexPieces> convex;
  std::vector<IndexedMesh> meshes;

  bool operator==(const Decomposition&) const = default;
};

// Seconds since the epoch.
using CacheClock = std::function<int64_t()>;
int64_t systemSeconds();

constexpr int64_t kCacheLifetimeHours = 336;

class MeshCache {
 public:
  // root: the cache root, "Machines/OptimizedMeshes/" under the data folder.
  explicit MeshCache(std::filesystem::path root, CacheClock clock = systemSeconds);

  std::filesystem::path entryPath(uint64_t key) const;
  bool isFresh(const std::filesystem::path& entry) const;
  // The entry of a fresh, whole key; none when it must be rebuilt.
  std::optional<Decomposition> read(uint64_t key) const;
  // Writes the parts, then the timestamp; nothing when the counts of convex
  // sets and meshes differ. False when the file system refused.
  bool write(uint64_t key, const Decomposition& decomposition) const;
  // Removes every entry whose timestamp is missing or stale; stops at the
  // first file system error. The number of entries removed.
  size_t cleanUp() const;

 private:
  std::filesystem::path root_;
  CacheClock clock_;
};

}  // namespace machine
