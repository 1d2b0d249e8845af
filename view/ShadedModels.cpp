#include "view/ShadedModels.h"

#include <glm/geometric.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "gpu/ProgramCache.h"
#include "gpu/UniformName.h"
#include "stock/SceneLighting.h"
#include "tools/PackedMesh.h"

namespace view {

namespace {

void addFacet(std::vector<FacetVertex>& out, const glm::vec3& a, const glm::vec3& b, const glm::vec3& c) {
  const glm::vec3 n = glm::cross(b - a, c - a);
  const float length = glm::length(n);
  const uint32_t packed = tools::packToolNormal(length > 0.0f ? n / length : glm::vec3(0.0f, 0.0f, 1.0f));
  for (const glm::vec3& p : {a, b, c}) out.push_back({p, packed});
}

}  // namespace

std::vector<FacetVertex> facetedVertices(const machine::IndexedMesh& mesh) {
  std::vector<FacetVertex> out;
  out.reserve(mesh.indices.size());
  for (size_t t = 0; t + 2 < mesh.indices.size(); t += 3)
    addFacet(out, mesh.vertices[mesh.indices[t]], mesh.vertices[mesh.indices[t + 1]],
             mesh.vertices[mesh.indices[t + 2]]);
  return out;
}

std::vector<FacetVertex> facetedVertices(std::span<const float> soup) {
  std::vector<FacetVertex> out;
  out.reserve(soup.size() / 3);
  for (size_t t = 0; t + 9 <= soup.size(); t += 9)
    addFacet(out, {soup[t], soup[t + 1], soup[t + 2]}, {soup[t + 3], soup[t + 4], soup[t + 5]},
             {soup[t + 6], soup[t + 7], soup[t + 8]});
  return out;
}

void uploadFacets(const std::vector<FacetVertex>& vertices, GLuint& vertexArray, GLuint& buffer) {
  glGenVertexArrays(1, &vertexArray);
  glGenBuffers(1, &buffer);
  glBindVertexArray(vertexArray);
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(FacetVertex)), vertices.data(),
               GL_STATIC_DRAW);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(FacetVertex), nullptr);
  glEnableVertexAttribArray(1);
  glVertexAttribIPointer(1, 1, GL_UNSIGNED_INT, sizeof(FacetVertex),
                         reinterpret_cast<const void*>(offsetof(FacetVertex, normal)));
  glBindVertexArray(0);
}

GLuint useShadedProgram(const SceneDraw& scene) {
  const GLuint program = gpu::drawProgram("Shaders\\machine.vert", "Shaders\\machine.frag");
  if (!program) return 0;
  glUseProgram(program);
  auto at = [program](const char* name) { return gpu::uniformLocation(program, name); };
  stock::setSceneLighting(program, scene.camera, glm::vec3(0.3f, 0.8f, 0.5f), scene.cuttingPlane);
  glUniform4f(at("lightColor"), 1.0f, 1.0f, 1.0f, 1.0f);
  glUniform1f(at("shininess"), 0.5f);
  glUniform1f(at("dimFactor"), 0.2f);
  glUniform1f(at("colorizeFrac"), 0.0f);
  glUniform4f(at("colorizeColor"), 1.0f, 0.0f, 0.0f, 1.0f);
  glUniform1ui(at("useUniformColor"), 0u);
  glEnable(GL_DEPTH_TEST);
  return program;
}

}  // namespace view
