#pragma once
// A stock mesh on the GPU for the solid program: per vertex the position,
// a compare distance and a packed normal; per triangle a record at binding
// 2 with its packed face normal and its colour.
#include <cstdint>
#include <optional>
#include <vector>

#include "gpu/GL.h"
#include "gpu/SSBO.h"
#include "stock/SurfaceExtraction.h"

namespace stock {

class SolidMesh {
 public:
  SolidMesh();
  ~SolidMesh();
  SolidMesh(const SolidMesh&) = delete;
  SolidMesh& operator=(const SolidMesh&) = delete;

  // Render thread. One colour (RGB bytes) and specular weight for every
  // triangle; distances per vertex (0 when not given); flat shading unless
  // smooth, where each triangle takes its vertices' averaged normals.
  void upload(const SurfaceMesh& mesh, uint32_t rgb, float specularWeight, const std::vector<float>& distances = {},
              bool smooth = false);

  // Render thread: room for vertexCount vertices and indexCount indices
  // (and their triangles' records), to be filled on the GPU: the vertex
  // buffer as words at binding-free offsets, the index buffer and the
  // triangle records by copies.
  void allocate(uint32_t vertexCount, uint32_t indexCount);
  GLuint indexBuffer() const { return indices_; }
  gpu::SSBO& triangles() { return *triangles_; }

  // Vertices of five floats: the position (0-2), the compare distance (3)
  // and the packed normal's bits (4).
  static constexpr uint32_t kFloatsPerVertex = 5, kPositionFloat = 0, kDistanceFloat = 3;
  GLuint vertexBuffer() const { return vertices_; }
  uint32_t vertexCount() const { return vertexCount_; }

  GLuint vertexArray() const { return vertexArray_; }
  uint32_t indexCount() const { return indexCount_; }
  const gpu::SSBO& triangles() const { return *triangles_; }

 private:
  // The vertex array's layout over the vertex and index buffers.
  void describeVertices();

  GLuint vertexArray_ = 0, vertices_ = 0, indices_ = 0;
  std::optional<gpu::SSBO> triangles_;
  uint32_t indexCount_ = 0, vertexCount_ = 0;
};

}  // namespace stock
