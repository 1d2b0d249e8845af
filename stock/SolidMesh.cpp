#include "stock/SolidMesh.h"

#include <algorithm>
#include <cstddef>

#include <glm/geometric.hpp>

#include "tools/PackedMesh.h"

namespace stock {

namespace {

struct SolidVertex {
  float position[3];
  float distance;
  uint32_t normal;
};
static_assert(sizeof(SolidVertex) == 4 * SolidMesh::kFloatsPerVertex);
static_assert(offsetof(SolidVertex, distance) == 4 * SolidMesh::kDistanceFloat);

constexpr uint32_t kUseVertexNormal = 0x80000000u;

}  // namespace

SolidMesh::SolidMesh() {
  glGenVertexArrays(1, &vertexArray_);
  glGenBuffers(1, &vertices_);
  glGenBuffers(1, &indices_);
  triangles_.emplace();
}

void SolidMesh::describeVertices() {
  glBindVertexArray(vertexArray_);
  glBindBuffer(GL_ARRAY_BUFFER, vertices_);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(SolidVertex), nullptr);
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 1, GL_FLOAT, GL_FALSE, sizeof(SolidVertex), reinterpret_cast<const void*>(12));
  glEnableVertexAttribArray(2);
  glVertexAttribIPointer(2, 1, GL_UNSIGNED_INT, sizeof(SolidVertex), reinterpret_cast<const void*>(16));
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices_);
  glBindVertexArray(0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void SolidMesh::allocate(uint32_t vertexCount, uint32_t indexCount) {
  glBindBuffer(GL_ARRAY_BUFFER, vertices_);
  glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(std::max<uint64_t>(uint64_t{vertexCount} * sizeof(SolidVertex), 16)), nullptr,
               GL_STATIC_DRAW);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glBindBuffer(GL_COPY_WRITE_BUFFER, indices_);
  glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(std::max<uint64_t>(uint64_t{indexCount} * 4, 16)), nullptr,
               GL_STATIC_DRAW);
  glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
  describeVertices();
  triangles_->resize(std::max<uint64_t>(uint64_t{indexCount} / 3 * 8, 16));
  indexCount_ = indexCount;
  vertexCount_ = vertexCount;
}

SolidMesh::~SolidMesh() {
  glDeleteBuffers(1, &vertices_);
  glDeleteBuffers(1, &indices_);
  glDeleteVertexArrays(1, &vertexArray_);
}

void SolidMesh::upload(const SurfaceMesh& mesh, uint32_t rgb, float specularWeight, const std::vector<float>& distances,
                       bool smooth) {
  const size_t triangleCount = mesh.triangles.size() / 3;
  std::vector<glm::dvec3> vertexNormals(mesh.vertices.size(), glm::dvec3(0.0));
  std::vector<glm::uvec2> records(triangleCount);
  const uint32_t colour = (rgb & 0x00FFFFFFu) | uint32_t(std::clamp(specularWeight, 0.0f, 1.0f) * 255.0f) << 24;
  for (size_t t = 0; t < triangleCount; ++t) {
    const glm::dvec3& a = mesh.vertices[mesh.triangles[3 * t]];
    const glm::dvec3 n = glm::cross(mesh.vertices[mesh.triangles[3 * t + 1]] - a, mesh.vertices[mesh.triangles[3 * t + 2]] - a);
    for (int k = 0; k < 3; ++k) vertexNormals[mesh.triangles[3 * t + k]] += n;  // area-weighted
    const double length = glm::length(n);
    const glm::vec3 unit = length > 0 ? glm::vec3(n / length) : glm::vec3(0, 0, 1);
    records[t] = {tools::packToolNormal(unit) | (smooth ? kUseVertexNormal : 0u), colour};
  }
  std::vector<SolidVertex> vertices(mesh.vertices.size());
  for (size_t v = 0; v < vertices.size(); ++v) {
    const double length = glm::length(vertexNormals[v]);
    const glm::vec3 unit = length > 0 ? glm::vec3(vertexNormals[v] / length) : glm::vec3(0, 0, 1);
    vertices[v] = {{float(mesh.vertices[v].x), float(mesh.vertices[v].y), float(mesh.vertices[v].z)},
                   v < distances.size() ? distances[v] : 0.0f, tools::packToolNormal(unit)};
  }
  glBindBuffer(GL_ARRAY_BUFFER, vertices_);
  glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(SolidVertex)), vertices.data(), GL_STATIC_DRAW);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  // (The index buffer is only bound as such inside the vertex array.)
  glBindBuffer(GL_COPY_WRITE_BUFFER, indices_);
  glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(mesh.triangles.size() * 4), mesh.triangles.data(), GL_STATIC_DRAW);
  glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
  describeVertices();
  triangles_->resize(std::max<uint64_t>(records.size() * 8, 16));
  if (!records.empty()) {
    glBindBuffer(GL_SHADER_STORAGE_BUFFER, triangles_->id());
    glBufferSubData(GL_SHADER_STORAGE_BUFFER, 0, GLsizeiptr(records.size() * 8), records.data());
    glBindBuffer(GL_SHADER_STORAGE_BUFFER, 0);
  }
  indexCount_ = static_cast<uint32_t>(mesh.triangles.size());
  vertexCount_ = static_cast<uint32_t>(vertices.size());
}

}  // namespace stock
