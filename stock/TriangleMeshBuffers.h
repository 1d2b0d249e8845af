#pragma once
// A triangle mesh on the GPU as the mesh passes read it (MeshRays.glsl):
// vertices with packed normals at binding 2, corners at 3, neighbours at 4,
// and the work index at 5, which splits the lattice rays through every
// triangle's box into chunks. Sent once per mesh.
#include <cstdint>
#include <memory>
#include <optional>

#include <glm/mat4x4.hpp>

#include "gpu/GL.h"
#include "gpu/SSBO.h"
#include "stock/GridFrame.h"
#include "stock/StockMesh.h"

namespace stock {

class TriangleMeshBuffers {
 public:
  // Render thread: sends the mesh unless it is the one sent last.
  void upload(const std::shared_ptr<const StockMesh>& mesh);
  const StockMesh* mesh() const { return mesh_.get(); }
  void bind() const;
  // Transformation (mesh frame to grid), Resolution, TrianglesCount and
  // InvocationChunkSize on the bound program.
  void setUniforms(GLuint program, const GridFrame& frame, const glm::mat4& toGrid) const;
  // Chunk counts per triangle for rays through boxes grown by expand cells,
  // summed into the work index; the total number of chunks, none when they
  // cannot be numbered in 32 bits.
  std::optional<uint64_t> splitWork(const GridFrame& frame, const glm::mat4& toGrid, int expand);
  // Runs program over chunks, in as many dispatches as the device needs.
  void dispatchChunks(GLuint program, uint64_t chunks) const;

 private:
  std::shared_ptr<const StockMesh> mesh_;
  uint32_t raysPerChunk_ = 16;
  std::optional<gpu::SSBO> vertices_, triangles_, neighbours_, workIndex_;
};

// Sends values into buffer (made or resized), keeping one element at least so
// that the binding stays valid.
template <typename T>
void uploadTo(std::optional<gpu::SSBO>& buffer, const std::vector<T>& values) {
  if (!buffer) buffer.emplace();
  buffer->resize(std::max<uint64_t>(values.size() * sizeof(T), 16));
  if (!values.empty()) {
    glBindBuffer(GL_SHADER_STORAGE_BUFFER, buffer->id());
    glBufferSubData(GL_SHADER_STORAGE_BUFFER, 0, static_cast<GLsizeiptr>(values.size() * sizeof(T)), values.data());
    glBindBuffer(GL_SHADER_STORAGE_BUFFER, 0);
  }
  buffer->elementCount = values.size();
}

}  // namespace stock
