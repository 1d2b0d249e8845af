#include "stock/SurfaceExtraction.h"

#include <algorithm>
#include <bit>
#include <unordered_map>

#include "gpu/Dispatch.h"
#include "gpu/PrefixSum.h"
#include "gpu/ProgramCache.h"
#include "gpu/UniformName.h"
#include "stock/TriangleTable.h"

namespace stock {

namespace {

constexpr uint32_t kGroupSize = 128;
constexpr uint32_t kMeshGroupSize = 256;

GLuint useProgram(const char* name) {
  const GLuint program = gpu::computeProgram(name);
  glUseProgram(program);
  return program;
}

void run(GLuint program, uint64_t invocations, uint32_t groupSize) {
  gpu::dispatchInBatches(invocations, groupSize, gpu::uniformLocation(program, "InvocationOffset"));
  gpu::storageBarrier();
}

}  // namespace

gpu::SSBO& SurfaceExtraction::buffer(std::optional<gpu::SSBO>& slot, uint64_t bytes) {
  if (!slot) slot.emplace();
  slot->resize(std::max<uint64_t>(bytes, 16));  // reallocates only for a new size
  return *slot;
}

bool SurfaceExtraction::extract(StockGrid& grid, bool initialBlockDistinct, const std::atomic<bool>* stop) {
  cubeCount_ = 0;
  complete_ = true;
  if (!grid.buffersReady()) return true;
  const GridFrame& frame = grid.frame();
  const glm::uvec3 g = frame.nodes;
  if (g.x < 2 || g.y < 2 || g.z < 2) return true;
  auto stopped = [&] {
    if (!stop || !stop->load(std::memory_order_relaxed)) return false;
    complete_ = false;
    return true;
  };
  cells_ = g - 1u;
  const uint64_t wordsPerColumn = frame.padded.z / 32;
  const uint64_t columns = uint64_t{cells_.x} * cells_.y;

  // 1. Outside bits.
  gpu::SSBO& outside = buffer(outsideBits_, uint64_t{g.x} * g.y * wordsPerColumn * 4);
  GLuint program = useProgram("Shaders\\pointsPos.comp");
  glUniform3ui(gpu::uniformLocation(program, "NoOfPoints"), g.x, g.y, g.z);
  grid.bind();
  outside.bindBase(2);
  // The z and x copies for 32 columns along x, then the y copy along y.
  glUniform1ui(gpu::uniformLocation(program, "Pass"), 0);
  run(program, uint64_t{frame.padded.x / 32} * g.y * wordsPerColumn, kGroupSize);
  glUniform1ui(gpu::uniformLocation(program, "Pass"), 1);
  run(program, uint64_t{g.x} * (frame.padded.y / 32) * wordsPerColumn, kGroupSize);

  if (stopped()) return false;

  // 2. Words per column, 3. their sums, and the list's size from the last.
  gpu::SSBO& counts = buffer(columnCounts_, columns * 4);
  gpu::SSBO& sums = buffer(columnSums_, columns * 4);
  program = useProgram("Shaders\\cubesCount.comp");
  glUniform3ui(gpu::uniformLocation(program, "NoOfPoints"), g.x, g.y, g.z);
  outside.bindBase(2);
  counts.bindBase(3);
  run(program, columns, kGroupSize);
  gpu::inclusivePrefixSum(counts, sums, static_cast<uint32_t>(columns));
  if (stopped()) return false;
  const uint32_t words = gpu::readElement<uint32_t>(sums, columns - 1);
  complete_ = fits(uint64_t{words} * 4);
  if (!complete_ || words < 5) return true;

  // 4. The records.
  gpu::SSBO& cubes = buffer(cubes_, uint64_t{words} * 4);
  program = useProgram("Shaders\\getCubes.comp");
  glUniform3ui(gpu::uniformLocation(program, "NoOfPoints"), g.x, g.y, g.z);
  glUniform1i(gpu::uniformLocation(program, "InitialBlockDistinct"), initialBlockDistinct ? 1 : 0);
  grid.bind();
  outside.bindBase(2);
  sums.bindBase(3);
  cubes.bindBase(4);
  run(program, columns, kGroupSize);
  glMemoryBarrier(GL_VERTEX_ATTRIB_ARRAY_BARRIER_BIT);  // drawn as points next
  cubeCount_ = words / 5;
  return true;
}

uint32_t SurfaceExtraction::runIndexedPasses() {
  if (cubeCount_ == 0) return 0;
  if (!triangleTable_) {
    triangleTable_.emplace(sizeof(TriangleTable));
    glBindBuffer(GL_SHADER_STORAGE_BUFFER, triangleTable_->id());
    glBufferSubData(GL_SHADER_STORAGE_BUFFER, 0, sizeof(TriangleTable), triangleTable().data());
    glBindBuffer(GL_SHADER_STORAGE_BUFFER, 0);
  }
  const uint32_t cubes = static_cast<uint32_t>(cubeCount_);
  auto common = [&](const char* name) {
    const GLuint program = useProgram(name);
    glUniform1ui(gpu::uniformLocation(program, "nCubes"), cubes);
    glUniform3ui(gpu::uniformLocation(program, "nCells"), cells_.x, cells_.y, cells_.z);
    cubes_->bindBase(0);
    triangleTable_->bindBase(1);
    return program;
  };
  gpu::SSBO& counts = buffer(indexCounts_, uint64_t{cubes} * 4);
  gpu::SSBO& sums = buffer(indexSums_, uint64_t{cubes} * 4);
  GLuint program = common("Shaders\\MarchingCubesCounts.comp");
  counts.bindBase(2);
  run(program, cubes, kMeshGroupSize);
  gpu::inclusivePrefixSum(counts, sums, cubes);
  const uint32_t indices = gpu::readElement<uint32_t>(sums, cubes - 1);
  if (indices == 0) return 0;
  complete_ = fits(uint64_t{indices} * 16);
  if (!complete_) return 0;

  gpu::SSBO& identifiers = buffer(identifiers_, uint64_t{indices} * 4);
  program = common("Shaders\\MarchingCubesIDs.comp");
  sums.bindBase(2);
  identifiers.bindBase(3);
  run(program, cubes, kMeshGroupSize);
  gpu::SSBO& positions = buffer(positions_, uint64_t{indices} * 16);
  program = common("Shaders\\MarchingCubesPositions.comp");
  sums.bindBase(2);
  positions.bindBase(3);
  run(program, cubes, kMeshGroupSize);
  return indices;
}

void SurfaceExtraction::releaseIndexedBuffers() {
  indexCounts_.reset();
  indexSums_.reset();
  identifiers_.reset();
  positions_.reset();
}

SurfaceExtraction::IndexedBuffers SurfaceExtraction::runIndexedMesh() {
  const uint32_t corners = runIndexedPasses();
  if (corners == 0) return {};
  return {&*identifiers_, &*positions_, corners};
}

IndexedSurface SurfaceExtraction::indexedSurface() {
  IndexedSurface surface;
  if (const uint32_t indices = runIndexedPasses(); indices > 0) {
    surface.identifiers = gpu::readBack<uint32_t>(*identifiers_, 0, indices);
    surface.positions = gpu::readBack<glm::vec4>(*positions_, 0, indices);
  }
  releaseIndexedBuffers();
  return surface;
}

SurfaceMesh SurfaceExtraction::weldedMesh(const GridFrame& frame) {
  SurfaceMesh mesh;
  const uint32_t indices = runIndexedPasses();
  std::unordered_map<uint32_t, uint32_t> vertexOf;
  vertexOf.reserve(indices / 5);
  mesh.triangles.reserve(indices);
  // The passes give each triangle as its first, third and second edge; the
  // table's own order turns counter-clockwise seen from outside.
  constexpr uint32_t kTrianglesPerPiece = 1u << 16;
  for (uint32_t first = 0; first < indices; first += 3 * kTrianglesPerPiece) {
    const uint32_t count = std::min(3 * kTrianglesPerPiece, indices - first);
    const std::vector<uint32_t> identifiers = gpu::readBack<uint32_t>(*identifiers_, first, count);
    const std::vector<glm::vec4> positions = gpu::readBack<glm::vec4>(*positions_, first, count);
    auto vertex = [&](size_t k) {
      const auto [at, added] = vertexOf.try_emplace(identifiers[k], static_cast<uint32_t>(mesh.vertices.size()));
      if (added) mesh.vertices.push_back(frame.toWorld(glm::dvec3(positions[k])));
      return at->second;
    };
    for (size_t k = 0; k + 2 < count; k += 3) {
      mesh.triangles.push_back(vertex(k));
      mesh.triangles.push_back(vertex(k + 2));
      mesh.triangles.push_back(vertex(k + 1));
    }
  }
  releaseIndexedBuffers();
  return mesh;
}

}  // namespace stock
