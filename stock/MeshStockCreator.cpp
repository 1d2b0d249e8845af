#include "stock/MeshStockCreator.h"

#include <limits>
#include <numeric>
#include <vector>

#include <glm/gtc/type_ptr.hpp>

#include "gpu/Dispatch.h"
#include "gpu/ProgramCache.h"
#include "gpu/UniformName.h"
#include "stock/NodeWord.h"
#include "stock/SignField.h"
#include "stock/SolidStockCreator.h"

namespace stock {

namespace {

constexpr uint32_t kGroupSize = 128;
constexpr uint32_t kNodesPerVote = 16;
// The signed distances reach 1.42 cells; rays two cells around a triangle
// see every node that close to it.
constexpr int kDistanceGrowth = 2;
constexpr uint64_t kMaxChunks = std::numeric_limits<uint32_t>::max() / 2;

struct PackedVertex {
  float x, y, z;
  uint32_t normal;
};
static_assert(sizeof(PackedVertex) == 16);

template <typename T>
void uploadTo(std::optional<gpu::SSBO>& buffer, const std::vector<T>& values) {
  if (!buffer) buffer.emplace();
  // An empty buffer cannot be bound usefully; one element keeps bindings valid.
  buffer->resize(std::max<uint64_t>(values.size() * sizeof(T), 16));
  if (!values.empty()) {
    glBindBuffer(GL_SHADER_STORAGE_BUFFER, buffer->id());
    glBufferSubData(GL_SHADER_STORAGE_BUFFER, 0, static_cast<GLsizeiptr>(values.size() * sizeof(T)), values.data());
    glBindBuffer(GL_SHADER_STORAGE_BUFFER, 0);
  }
  buffer->elementCount = values.size();
}

void setUvec3(GLuint program, const char* name, const glm::uvec3& v) {
  glUniform3ui(gpu::uniformLocation(program, name), v.x, v.y, v.z);
}

void setUint(GLuint program, const char* name, uint64_t value) {
  glUniform1ui(gpu::uniformLocation(program, name), static_cast<GLuint>(value));
}

GLuint useProgram(const char* name) {
  const GLuint program = gpu::computeProgram(name);
  glUseProgram(program);
  return program;
}

// One invocation per element, in as many dispatches as the device needs.
void dispatchEach(GLuint program, uint64_t invocations) {
  gpu::dispatchInBatches(invocations, kGroupSize, gpu::uniformLocation(program, "InvocationOffset"));
  gpu::storageBarrier();
}

}  // namespace

void MeshStockCreator::upload(const std::shared_ptr<const StockMesh>& mesh) {
  if (mesh == mesh_) return;
  mesh_ = mesh;
  std::vector<PackedVertex> vertices(mesh->positions.size());
  for (size_t i = 0; i < vertices.size(); ++i) {
    const glm::vec3& p = mesh->positions[i];
    vertices[i] = {p.x, p.y, p.z, mesh->packedNormals[i]};
  }
  uploadTo(vertices_, vertices);
  uploadTo(triangles_, mesh->triangles);
  uploadTo(neighbours_, mesh->neighbours);
}

void MeshStockCreator::bindMesh() const {
  vertices_->bindBase(2);
  triangles_->bindBase(3);
  neighbours_->bindBase(4);
  workIndex_->bindBase(5);
}

void MeshStockCreator::setMeshUniforms(unsigned program, const GridFrame& frame, const glm::mat4& toGrid) const {
  glUniformMatrix4fv(gpu::uniformLocation(program, "Transformation"), 1, GL_FALSE, glm::value_ptr(toGrid));
  setUvec3(program, "Resolution", frame.nodes);
  setUint(program, "TrianglesCount", mesh_->triangles.size());
  setUint(program, "InvocationChunkSize", raysPerChunk_);
}

std::optional<uint64_t> MeshStockCreator::splitWork(const GridFrame& frame, const glm::mat4& toGrid, int expand) {
  const uint64_t triangles = mesh_->triangles.size();
  if (!workIndex_) workIndex_.emplace();
  workIndex_->resize(std::max<uint64_t>(triangles * 4, 16));
  for (;;) {
    const GLuint program = useProgram("Shaders\\GetRaysPerTriangle.comp");
    setMeshUniforms(program, frame, toGrid);
    glUniform1i(gpu::uniformLocation(program, "Expand"), expand);
    bindMesh();
    dispatchEach(program, triangles);
    std::vector<uint32_t> counts = gpu::readBack<uint32_t>(*workIndex_, 0, triangles);
    std::vector<uint64_t> sums(counts.size());
    std::inclusive_scan(counts.begin(), counts.end(), sums.begin(), std::plus<>(), uint64_t{0});
    const uint64_t total = sums.empty() ? 0 : sums.back();
    // Very large triangles on a fine lattice: fewer, longer chunks keep the
    // chunk numbers within 32 bits.
    if (total > kMaxChunks) {
      if (raysPerChunk_ >= (1u << 20)) return std::nullopt;
      raysPerChunk_ *= 2;
      continue;
    }
    for (size_t i = 0; i < counts.size(); ++i) counts[i] = static_cast<uint32_t>(sums[i]);
    uploadTo(workIndex_, counts);
    return total;
  }
}

void MeshStockCreator::dispatchChunks(unsigned program, uint64_t chunks) const {
  setUint(program, "InvocationChunkEnd", chunks);
  gpu::dispatchInBatches(chunks, kGroupSize, gpu::uniformLocation(program, "InvocationChunkOffset"));
  gpu::storageBarrier();
}

bool MeshStockCreator::create(StockGrid& grid, const MeshShape& shape) {
  const GridFrame& frame = grid.frame();
  const uint64_t nodeCount = frame.nodeCount();
  const uint64_t columns = uint64_t{frame.nodes.x} * frame.nodes.y;

  // 1. Every node undecided, no inside flags.
  clearWords(grid.signField(), 0u);
  clearWords(grid.nodeWords(), NodeWord::kMeshInitial);
  if (!shape.mesh || shape.mesh->empty()) return false;
  upload(shape.mesh);
  const glm::mat4 toGrid(frame.exactWorldToGrid() * shape.placement);

  // 2, 3. Signed distances near the surface.
  std::optional<uint64_t> chunks = splitWork(frame, toGrid, kDistanceGrowth);
  if (!chunks) return false;
  GLuint program = useProgram("Shaders\\TriangleSigns.comp");
  setMeshUniforms(program, frame, toGrid);
  glUniform1i(gpu::uniformLocation(program, "Expand"), kDistanceGrowth);
  grid.nodeWords().bindBase(0);
  bindMesh();
  dispatchChunks(program, *chunks);

  // 4. First, second, last and second-to-last hit of every ray.
  chunks = splitWork(frame, toGrid, 0);
  if (!chunks) return false;
  if (!raySpans_) raySpans_.emplace();
  raySpans_->resize(frame.rayCount() * 16);
  raySpans_->fill(std::array<int32_t, 4>{std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max(),
                                         std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min()});
  program = useProgram("Shaders\\TriangleRaySpans.comp");
  setMeshUniforms(program, frame, toGrid);
  bindMesh();
  raySpans_->bindBase(6);
  for (uint32_t layer = 0; layer < 2; ++layer) {
    setUint(program, "Layer", layer);
    dispatchChunks(program, *chunks);
  }

  // 5. The vote of each node's three rays.
  program = useProgram("Shaders\\ApplyTriangleRaySpans.comp");
  setUvec3(program, "Resolution", frame.nodes);
  setUint(program, "ChunkSize", kNodesPerVote);
  grid.nodeWords().bindBase(0);
  raySpans_->bindBase(6);
  dispatchEach(program, gpu::groupsRoundedUp(nodeCount, kNodesPerVote));

  // 6. A stock limited to its box takes its top layer's signs from below.
  if (shape.limitToBox) {
    program = useProgram("Shaders\\BoundarySignPoll.comp");
    setUvec3(program, "Resolution", frame.nodes);
    for (uint32_t phase = 0; phase < 3; ++phase) {
      setUint(program, "Phase", phase);
      const uint64_t walkers = phase == 0 ? columns : phase == 1 ? frame.nodes.x : 1;
      dispatchEach(program, walkers);
    }
  }

  // 7. Signs spread from the top into every undecided node.
  if (!insideBits_) insideBits_.emplace();
  insideBits_->resize(columns * (frame.padded.z / 32) * 4);
  program = useProgram("Shaders\\SpreadSigns.comp");
  setUvec3(program, "Resolution", frame.nodes);
  setUvec3(program, "BoolPointsSize", frame.padded);
  insideBits_->bindBase(7);
  for (uint32_t phase = 0; phase < 3; ++phase) {
    setUint(program, "Phase", phase);
    const uint64_t walkers = phase == 0 ? 1 : phase == 1 ? frame.nodes.x : columns;
    dispatchEach(program, walkers);
  }

  // 8. The z copy of the sign field and the node words.
  program = useProgram("Shaders\\ApplyInitialSigns.comp");
  setUvec3(program, "Resolution", frame.nodes);
  setUvec3(program, "BoolPointsSize", frame.padded);
  grid.bind();
  insideBits_->bindBase(7);
  dispatchEach(program, columns);

  // 9. The x and y copies from the z copy.
  const SignField layout(frame);
  program = useProgram("Shaders\\XYSignsFromZ.comp");
  setUvec3(program, "Resolution", frame.nodes);
  setUvec3(program, "BoolPointsSize", frame.padded);
  grid.bind();
  dispatchEach(program, layout.copyStart(2));

  // 10. The exact crossing of every triangle hit.
  program = useProgram("Shaders\\triangleDists.comp");
  setMeshUniforms(program, frame, toGrid);
  grid.bind();
  bindMesh();
  dispatchChunks(program, *chunks);
  return true;
}

}  // namespace stock
