#pragma once
// The host's named geometries in the scene: the design part (workpiece),
// fixtures and other models, each in the host's colour or its role's with
// the machine shading (hidden ones left out), the selected one tinted, placed on the workpiece like the
// stocks, and handed to picking as workpiece-side models. A model is the
// geometry's own triangles or, without them, its STL file, read on the
// render thread when the list changes.
#include <cstdint>
#include <string>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec4.hpp>

#include "gpu/GL.h"
#include "view/FramePart.h"
#include "view/JobData.h"
#include "view/ShadedModels.h"

namespace view {

class GeometryStage final : public FramePart {
 public:
  explicit GeometryStage(JobData& job) : job_(job) {}
  ~GeometryStage() override;

  void update(FrameState& frame) override;
  camera::SceneBox sceneBox() const override { return box_; }
  void draw(const SceneDraw& scene) override;
  // Each model's triangles under workpiece-side ids (model = list order);
  // the view collects them before any part's edge lines.
  void collectPickables(PickList& list) override;
  void release() override;

  static glm::vec4 colourOf(uint64_t role);

  // Render thread, for tests and pictures: the models of the last update.
  struct Shown {
    std::string name;
    uint64_t role = 0;
    bool selected = false;
    size_t triangles = 0;
    glm::mat4 placement{1.0f};  // model to display frame
    glm::vec4 colour{1.0f};     // the host's, else the role's
  };
  std::vector<Shown> shown() const;

 private:
  struct Model {
    Shown shown;
    std::vector<FacetVertex> vertices;  // given to the GPU at the next draw
    GLsizei count = 0;
    GLuint vertexArray = 0, buffer = 0;
    std::vector<PickChunk> chunks;  // the picking pass's runs
  };
  void rebuild(const glm::dmat4& toDisplay);
  void deleteBuffers(Model& model);

  JobData& job_;
  std::vector<Model> models_;
  std::vector<Model> retired_;  // their buffers go at the next draw
  camera::SceneBox box_;
  uint64_t revision_ = ~0ull, stockRevision_ = ~0ull;
  glm::dmat4 toDisplay_{0.0};
};

}  // namespace view
