#include "view/GeometryStage.h"

#include <algorithm>

#include <glm/gtc/type_ptr.hpp>

#include "gpu/UniformName.h"
#include "view/EntityId.h"

namespace view {

namespace {

// The tint of the geometry the host selected.
constexpr glm::vec4 kSelectedTint{0.24f, 0.47f, 0.80f, 1.0f};

std::vector<FacetVertex> verticesOf(const stock::Geometry& geometry) {
  return facetedVertices(geometry.triangleSoup());
}

}  // namespace

GeometryStage::~GeometryStage() = default;

glm::vec4 GeometryStage::colourOf(uint64_t role) {
  switch (role) {
    case SIM_GEOMETRY_WORKPIECE: return {0.55f, 0.78f, 0.55f, 1.0f};
    case SIM_GEOMETRY_FIXTURE: return {0.45f, 0.50f, 0.62f, 1.0f};
    default: return {0.72f, 0.70f, 0.66f, 1.0f};
  }
}

void GeometryStage::update(FrameState& frame) {
  const uint64_t revision = job_.stocks.geometryRevision(), stockRevision = job_.stocks.stockRevision();
  const glm::dmat4 toDisplay = glm::dmat4(job_.displayFrame()) * job_.stocks.workpiecePlacement();
  if (revision == revision_ && stockRevision == stockRevision_ && toDisplay == toDisplay_) return;
  revision_ = revision;
  stockRevision_ = stockRevision;
  toDisplay_ = toDisplay;
  rebuild(toDisplay);
  frame.changed = true;
}

void GeometryStage::rebuild(const glm::dmat4& toDisplay) {
  for (Model& model : models_) retired_.push_back(std::move(model));
  models_.clear();
  box_ = {};
  // A geometry a mesh stock was made from is the stock's shape: the stock
  // shows it, cut.
  std::vector<std::string> stockSources;
  for (const stock::StockDescription& s : job_.stocks.stocks())
    if (!s.definition.meshGeometry.empty()) stockSources.push_back(s.definition.meshGeometry);
  for (const stock::Geometry& geometry : job_.stocks.geometries()) {
    if (geometry.given.hidden) continue;
    if (std::find(stockSources.begin(), stockSources.end(), geometry.name) != stockSources.end()) continue;
    Model model;
    model.vertices = verticesOf(geometry);
    if (model.vertices.empty()) continue;
    model.chunks = pickChunks(model.vertices.size(), 3, [&](size_t v) { return model.vertices[v].position; });
    const float* given = geometry.given.colour;
    const bool ownColour = given[0] != 0.0f || given[1] != 0.0f || given[2] != 0.0f;
    model.shown = {geometry.name, geometry.role, geometry.selected, model.vertices.size() / 3,
                   glm::mat4(toDisplay * geometry.placement()),
                   ownColour ? glm::vec4(given[0], given[1], given[2], 1.0f) : colourOf(geometry.role)};
    for (const FacetVertex& v : model.vertices) {
      const glm::vec3 p(model.shown.placement * glm::vec4(v.position, 1.0f));
      box_.include({p, p});
    }
    models_.push_back(std::move(model));
  }
}

void GeometryStage::deleteBuffers(Model& model) {
  if (model.buffer) glDeleteBuffers(1, &model.buffer);
  if (model.vertexArray) glDeleteVertexArrays(1, &model.vertexArray);
  model.buffer = model.vertexArray = 0;
}

void GeometryStage::draw(const SceneDraw& scene) {
  for (Model& model : retired_) deleteBuffers(model);
  retired_.clear();
  if (models_.empty()) return;
  const GLuint program = useShadedProgram(scene);
  if (!program) return;
  auto at = [program](const char* name) { return gpu::uniformLocation(program, name); };
  glUniform4fv(at("colorizeColor"), 1, glm::value_ptr(kSelectedTint));
  // The stocks compared with the design show where it lies; drawn over
  // them it would hide their colours.
  const bool comparing = job_.stockCompare.shown();
  for (Model& model : models_) {
    if (comparing && model.shown.role == SIM_GEOMETRY_WORKPIECE) continue;
    if (!model.vertexArray) {
      uploadFacets(model.vertices, model.vertexArray, model.buffer);
      model.count = static_cast<GLsizei>(model.vertices.size());
      model.vertices = {};
    }
    glUniformMatrix4fv(at("model"), 1, GL_FALSE, glm::value_ptr(model.shown.placement));
    glUniform4fv(at("baseColor"), 1, glm::value_ptr(model.shown.colour));
    glUniform1f(at("colorizeFrac"), model.shown.selected ? 0.5f : 0.0f);
    glBindVertexArray(model.vertexArray);
    glDrawArrays(GL_TRIANGLES, 0, model.count);
  }
  glBindVertexArray(0);
}

void GeometryStage::collectPickables(PickList& list) {
  for (size_t i = 0; i < models_.size(); ++i) {
    const Model& model = models_[i];
    const auto index = static_cast<uint32_t>(i);
    if (!model.vertexArray || !entity::workpieceFits(index, static_cast<uint64_t>(model.count) / 3)) continue;
    list.meshes.push_back({model.vertexArray, GL_TRIANGLES, 0, model.count, model.shown.placement,
                           entity::workpieceTriangleBase(index), &model.chunks});
  }
}

void GeometryStage::release() {
  for (Model& model : models_) deleteBuffers(model);
  for (Model& model : retired_) deleteBuffers(model);
  retired_.clear();
  // Drawn again from the list when a window comes back.
  models_.clear();
  revision_ = stockRevision_ = ~0ull;
}

std::vector<GeometryStage::Shown> GeometryStage::shown() const {
  std::vector<Shown> out;
  for (const Model& model : models_) out.push_back(model.shown);
  return out;
}

}  // namespace view
