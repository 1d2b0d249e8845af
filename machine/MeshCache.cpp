#include "machine/MeshCache.h"

#include <bit>
#include <chrono>
#include <cstring>
#include <fstream>
#include <string>
#include <system_error>

namespace machine {
namespace {

namespace fs = std::filesystem;

static_assert(std::endian::native == std::endian::little, "cache files are written as laid out in memory");
static_assert(sizeof(std::pair<uint32_t, uint32_t>) == 8, "a run is two words");

std::optional<std::vector<char>> readWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return std::nullopt;
  const std::streamoff size = in.tellg();
  if (size < 0) return std::nullopt;
  std::vector<char> bytes(static_cast<size_t>(size));
  in.seekg(0);
  if (!in.read(bytes.data(), size)) return std::nullopt;
  return bytes;
}

template <typename T>
T load(const std::vector<char>& bytes, size_t offset) {
  T value;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

// The vertex block both files start with; none when the count runs past the end.
std::optional<std::vector<glm::vec3>> readVertices(const std::vector<char>& bytes, size_t& offset) {
  if (bytes.size() < 4) return std::nullopt;
  const uint64_t count = load<uint32_t>(bytes, 0);
  if (count * 12 > bytes.size() - 4) return std::nullopt;
  std::vector<glm::vec3> vertices(count);
  if (count) std::memcpy(vertices.data(), bytes.data() + 4, count * 12);
  offset = 4 + count * 12;
  return vertices;
}

std::optional<ConvexPieces> readConvex(const fs::path& path) {
  const auto bytes = readWhole(path);
  if (!bytes) return std::nullopt;
  size_t offset = 0;
  auto vertices = readVertices(*bytes, offset);
  if (!vertices || (bytes->size() - offset) % 8 != 0) return std::nullopt;
  ConvexPieces pieces;
  pieces.vertices = std::move(*vertices);
  uint64_t covered = 0;
  for (; offset < bytes->size(); offset += 8) {
    const uint32_t piece = load<uint32_t>(*bytes, offset), length = load<uint32_t>(*bytes, offset + 4);
    covered += length;
    if (covered > pieces.vertices.size()) return std::nullopt;
    pieces.runs.emplace_back(piece, length);
  }
  if (!pieces.runs.empty() && covered != pieces.vertices.size()) return std::nullopt;
  return pieces;
}

std::optional<IndexedMesh> readMesh(const fs::path& path) {
  const auto bytes = readWhole(path);
  if (!bytes) return std::nullopt;
  size_t offset = 0;
  auto vertices = readVertices(*bytes, offset);
  if (!vertices || (bytes->size() - offset) % 12 != 0) return std::nullopt;
  IndexedMesh mesh;
  mesh.vertices = std::move(*vertices);
  mesh.indices.resize((bytes->size() - offset) / 4);
  if (!mesh.indices.empty()) std::memcpy(mesh.indices.data(), bytes->data() + offset, mesh.indices.size() * 4);
  for (uint32_t index : mesh.indices)
    if (index >= mesh.vertices.size()) return std::nullopt;
  return mesh;
}

bool writeBytes(const fs::path& path, const std::vector<std::pair<const void*, size_t>>& blocks) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (const auto& [data, size] : blocks)
    if (size) out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  return static_cast<bool>(out);
}

bool writeVerticesAnd(const fs::path& path, const std::vector<glm::vec3>& vertices, const void* rest, size_t restBytes) {
  const uint32_t count = static_cast<uint32_t>(vertices.size());
  return writeBytes(path, {{&count, 4}, {vertices.data(), vertices.size() * 12}, {rest, restBytes}});
}

std::string partFile(size_t part) { return std::to_string(part) + ".dat"; }

}  // namespace

int64_t systemSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

MeshCache::MeshCache(std::filesystem::path root, CacheClock clock) : root_(std::move(root)), clock_(std::move(clock)) {}

std::filesystem::path MeshCache::entryPath(uint64_t key) const { return root_ / std::to_string(key); }

bool MeshCache::isFresh(const std::filesystem::path& entry) const {
  const auto bytes = readWhole(entry / "timestamp");
  if (!bytes || bytes->size() < 8) return false;
  // Any eight bytes may stand there: the age is taken in 128 bits, and a
  // timestamp an hour or more ahead of the clock is not believed.
  const __int128 age = static_cast<__int128>(clock_()) - load<int64_t>(*bytes, 0);
  const __int128 hours = age / 3600;
  return hours < kCacheLifetimeHours && hours > -1;
}

std::optional<Decomposition> MeshCache::read(uint64_t key) const {
  const fs::path entry = entryPath(key);
  if (!isFresh(entry)) return std::nullopt;
  Decomposition result;
  std::error_code error;
  for (size_t part = 0;; ++part) {
    const fs::path convexPath = entry / "Convex" / partFile(part);
    if (!fs::exists(convexPath, error)) break;
    auto convex = readConvex(convexPath);
    auto mesh = readMesh(entry / "Mesh" / partFile(part));
    if (!convex || !mesh) return std::nullopt;
    result.convex.push_back(std::move(*convex));
    result.meshes.push_back(std::move(*mesh));
  }
  if (error) return std::nullopt;
  return result;
}

bool MeshCache::write(uint64_t key, const Decomposition& decomposition) const {
  if (decomposition.convex.size() != decomposition.meshes.size()) return false;
  const fs::path entry = entryPath(key);
  std::error_code error;
  // Parts of an older entry must not outlive it.
  fs::remove_all(entry, error);
  if (!decomposition.convex.empty()) {
    fs::create_directories(entry / "Convex", error);
    fs::create_directories(entry / "Mesh", error);
  } else {
    fs::create_directories(entry, error);
  }
  if (error) return false;
  for (size_t part = 0; part < decomposition.convex.size(); ++part) {
    const ConvexPieces& convex = decomposition.convex[part];
    const IndexedMesh& mesh = decomposition.meshes[part];
    if (!writeVerticesAnd(entry / "Convex" / partFile(part), convex.vertices, convex.runs.data(),
                          convex.runs.size() * 8) ||
        !writeVerticesAnd(entry / "Mesh" / partFile(part), mesh.vertices, mesh.indices.data(), mesh.indices.size() * 4))
      return false;
  }
  const int64_t now = clock_();
  return writeBytes(entry / "timestamp", {{&now, 8}});
}

size_t MeshCache::cleanUp() const {
  size_t removed = 0;
  std::error_code error;
  if (!fs::exists(root_, error) || error) return 0;
  std::vector<fs::path> stale;
  for (fs::directory_iterator it(root_, error), end; !error && it != end; it.increment(error)) {
    if (!it->is_directory(error) || error) continue;
    if (!isFresh(it->path())) stale.push_back(it->path());
  }
  for (const fs::path& entry : stale) {
    if (fs::remove_all(entry, error) == static_cast<std::uintmax_t>(-1) || error) break;
    ++removed;
  }
  return removed;
}

}  // namespace machine
