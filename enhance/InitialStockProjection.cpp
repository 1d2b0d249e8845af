#include "enhance/InitialStockProjection.h"

#include <algorithm>
#include <vector>

#include <glm/gtc/type_ptr.hpp>
#include <glm/mat3x3.hpp>
#include <glm/vec4.hpp>

#include "enhance/AlgoDispatch.h"
#include "gpu/UniformName.h"

namespace enhance {
namespace {

constexpr uint32_t kGroupSize = 128;
// A mesh stock is searched triangle by triangle for every vertex: past
// this many pairs that would hold the render thread for seconds, and its
// vertices keep their lattice positions instead.
constexpr uint64_t kMostMeshPairs = uint64_t{1} << 29;

enum Kind : uint32_t { kNone = 0, kBox = 1, kCylinder = 2, kMesh = 3 };

// Mesh buffers in world coordinates: positions, vertex normals, corners.
struct MeshBuffers {
  gpu::SSBO positions{16}, normals{16}, triangles{16};  // bound even when unused
  uint32_t triangleCount = 0;
};

MeshBuffers meshBuffersOf(const stock::MeshShape& shape) {
  MeshBuffers out;
  if (!shape.mesh || shape.mesh->empty()) return out;
  const stock::StockMesh& mesh = *shape.mesh;
  const glm::dmat3 normalMap = glm::transpose(glm::inverse(glm::dmat3(shape.placement)));
  std::vector<glm::vec4> positions, normals;
  for (size_t v = 0; v < mesh.positions.size(); ++v) {
    positions.emplace_back(glm::vec3(shape.placement * glm::dvec4(glm::dvec3(mesh.positions[v]), 1.0)), 1.0f);
    const glm::dvec3 n = normalMap * glm::dvec3(stock::unpackNormal(mesh.packedNormals[v]));
    normals.emplace_back(glm::vec3(glm::length(n) > 0 ? glm::normalize(n) : n), 0.0f);
  }
  std::vector<uint32_t> corners;
  for (const auto& t : mesh.triangles) corners.insert(corners.end(), t.begin(), t.end());
  out.positions.resize(positions.size() * 16);
  out.positions.upload(positions.data(), positions.size() * 16);
  out.normals.resize(normals.size() * 16);
  out.normals.upload(normals.data(), normals.size() * 16);
  out.triangles.resize(corners.size() * 4);
  out.triangles.upload(corners.data(), corners.size() * 4);
  out.triangleCount = static_cast<uint32_t>(mesh.triangles.size());
  return out;
}

// The own frame of a cylinder: its axis as z from the first end face.
glm::dmat4 cylinderFrame(const stock::CylinderShape& c) {
  const glm::dvec3 along = c.to - c.from;
  const double length = glm::length(along);
  const glm::dvec3 z = length > 0 ? along / length : glm::dvec3(0, 0, 1);
  const glm::dvec3 helper = std::abs(z.x) < 0.9 ? glm::dvec3(1, 0, 0) : glm::dvec3(0, 1, 0);
  const glm::dvec3 x = glm::normalize(glm::cross(helper, z));
  const glm::dvec3 y = glm::cross(z, x);
  return glm::dmat4(glm::dvec4(x, 0), glm::dvec4(y, 0), glm::dvec4(z, 0), glm::dvec4(c.from, 1));
}

void setMatrices(GLuint program, const glm::dmat4& stockToWorld) {
  const glm::mat4 toWorld(stockToWorld), toStock(glm::inverse(stockToWorld));
  glUniformMatrix4fv(gpu::uniformLocation(program, "StockToWorld"), 1, GL_FALSE, glm::value_ptr(toWorld));
  glUniformMatrix4fv(gpu::uniformLocation(program, "WorldToStock"), 1, GL_FALSE, glm::value_ptr(toStock));
}

}  // namespace

VertexProjections projectOntoInitialStock(const std::optional<stock::StockShape>& shape, const EnhancedMesh& mesh,
                                          const gpu::SSBO& vertexNormals) {
  const uint64_t vertices = std::max(mesh.vertexCount, 1u);
  VertexProjections out{gpu::SSBO(vertices * 16), gpu::SSBO(vertices * 4)};
  MeshBuffers meshStock;
  const GLuint program = useAlgoProgram("ProjectPointsOntoInitialStock.comp");
  uint32_t kind = kNone;
  setMatrices(program, glm::dmat4(1.0));
  if (shape) {
    if (const auto* box = std::get_if<stock::BoxShape>(&*shape)) {
      kind = kBox;
      setMatrices(program, box->placement);
      const glm::vec3 lo(box->min), hi(box->max);
      glUniform3f(gpu::uniformLocation(program, "BoxMin"), lo.x, lo.y, lo.z);
      glUniform3f(gpu::uniformLocation(program, "BoxMax"), hi.x, hi.y, hi.z);
    } else if (const auto* cylinder = std::get_if<stock::CylinderShape>(&*shape)) {
      kind = kCylinder;
      setMatrices(program, cylinderFrame(*cylinder));
      setFloat(program, "OuterRadius", static_cast<float>(cylinder->radius));
      setFloat(program, "BoreRadius", static_cast<float>(cylinder->boreRadius));
      setFloat(program, "CylinderLength", static_cast<float>(glm::length(cylinder->to - cylinder->from)));
    } else if (const auto* meshShape = std::get_if<stock::MeshShape>(&*shape);
               meshShape && meshShape->mesh &&
               uint64_t{meshShape->mesh->triangles.size()} * mesh.vertexCount <= kMostMeshPairs) {
      kind = kMesh;
      meshStock = meshBuffersOf(*meshShape);
    }
  }
  setUint(program, "StockKind", kind);
  setUint(program, "nMeshTriangles", meshStock.triangleCount);
  setUint(program, "nVertices", mesh.vertexCount);
  mesh.positions.bindBase(0);
  vertexNormals.bindBase(1);
  out.records.bindBase(2);
  out.distances.bindBase(3);
  meshStock.positions.bindBase(4);
  meshStock.normals.bindBase(5);
  meshStock.triangles.bindBase(6);
  runKernel(program, mesh.vertexCount, kGroupSize);
  return out;
}

}  // namespace enhance
