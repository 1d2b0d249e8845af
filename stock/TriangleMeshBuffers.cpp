#include "stock/TriangleMeshBuffers.h"

#include <limits>
#include <numeric>
#include <vector>

#include <glm/gtc/type_ptr.hpp>

#include "gpu/Dispatch.h"
#include "gpu/ProgramCache.h"
#include "gpu/UniformName.h"

namespace stock {

namespace {

constexpr uint32_t kGroupSize = 128;
constexpr uint64_t kMaxChunks = std::numeric_limits<uint32_t>::max() / 2;

struct PackedVertex {
  float x, y, z;
  uint32_t normal;
};
static_assert(sizeof(PackedVertex) == 16);

}  // namespace

void TriangleMeshBuffers::upload(const std::shared_ptr<const StockMesh>& mesh) {
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
  if (!workIndex_) workIndex_.emplace();
}

void TriangleMeshBuffers::bind() const {
  vertices_->bindBase(2);
  triangles_->bindBase(3);
  neighbours_->bindBase(4);
  workIndex_->bindBase(5);
}

void TriangleMeshBuffers::setUniforms(GLuint program, const GridFrame& frame, const glm::mat4& toGrid) const {
  glUniformMatrix4fv(gpu::uniformLocation(program, "Transformation"), 1, GL_FALSE, glm::value_ptr(toGrid));
  glUniform3ui(gpu::uniformLocation(program, "Resolution"), frame.nodes.x, frame.nodes.y, frame.nodes.z);
  glUniform1ui(gpu::uniformLocation(program, "TrianglesCount"), static_cast<GLuint>(mesh_->triangles.size()));
  glUniform1ui(gpu::uniformLocation(program, "InvocationChunkSize"), raysPerChunk_);
}

std::optional<uint64_t> TriangleMeshBuffers::splitWork(const GridFrame& frame, const glm::mat4& toGrid, int expand) {
  const uint64_t triangles = mesh_->triangles.size();
  workIndex_->resize(std::max<uint64_t>(triangles * 4, 16));
  for (;;) {
    const GLuint program = gpu::computeProgram("Shaders\\GetRaysPerTriangle.comp");
    glUseProgram(program);
    setUniforms(program, frame, toGrid);
    glUniform1i(gpu::uniformLocation(program, "Expand"), expand);
    bind();
    gpu::dispatchInBatches(triangles, kGroupSize, gpu::uniformLocation(program, "InvocationOffset"));
    gpu::storageBarrier();
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

void TriangleMeshBuffers::dispatchChunks(GLuint program, uint64_t chunks) const {
  glUniform1ui(gpu::uniformLocation(program, "InvocationChunkEnd"), static_cast<GLuint>(chunks));
  gpu::dispatchInBatches(chunks, kGroupSize, gpu::uniformLocation(program, "InvocationChunkOffset"));
  gpu::storageBarrier();
}

}  // namespace stock
