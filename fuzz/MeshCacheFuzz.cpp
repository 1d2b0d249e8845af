// libFuzzer target: any bytes as one cache entry's convex file, mesh file and
// timestamp (split by the first two bytes). Reading never goes outside the
// files: a damaged entry reads as stale, a whole one as its parts.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "machine/MeshCache.h"

namespace {

void put(const std::filesystem::path& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::filesystem::path root =
      std::filesystem::temp_directory_path() / ("korvane-cache-fuzz-" + std::to_string(::getpid()));
  if (size < 2) return 0;
  const size_t convexSize = std::min<size_t>(data[0] * 8u, size - 2);
  const size_t meshSize = std::min<size_t>(data[1] * 8u, size - 2 - convexSize);
  const uint8_t* convex = data + 2;
  const uint8_t* mesh = convex + convexSize;
  const uint8_t* stamp = mesh + meshSize;
  const size_t stampSize = size - 2 - convexSize - meshSize;
  const machine::MeshCache cache(root, [] { return int64_t{0}; });
  const std::filesystem::path entry = cache.entryPath(1);
  std::filesystem::create_directories(entry / "Convex");
  std::filesystem::create_directories(entry / "Mesh");
  put(entry / "Convex" / "0.dat", convex, convexSize);
  put(entry / "Mesh" / "0.dat", mesh, meshSize);
  put(entry / "timestamp", stamp, stampSize);
  if (const auto read = cache.read(1)) {
    for (const machine::ConvexPieces& part : read->convex) {
      uint64_t covered = 0;
      for (const auto& run : part.runs) covered += run.second;
      if (!part.runs.empty() && covered != part.vertices.size()) __builtin_trap();
    }
    for (const machine::IndexedMesh& part : read->meshes)
      for (uint32_t index : part.indices)
        if (index >= part.vertices.size()) __builtin_trap();
  }
  return 0;
}
