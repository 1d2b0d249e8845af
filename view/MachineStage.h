#pragma once
// The machine in the frame: each frame its axes follow the played tool
// position (the inverse solve for the tip and the move's rotary values, the
// tool's gauge length from the tool table), and its models are drawn posed
// around the program frame, which stays where the stock and toolpath are.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec4.hpp>

#include "gpu/GL.h"
#include "machine/ViewMachine.h"
#include "view/FramePart.h"
#include "view/JobData.h"

namespace view {

// The colour of machine models without one of their own before the first
// frame takes the theme's, and of holders the machine mounts.
inline constexpr glm::vec4 kMachineColour{0.62f, 0.64f, 0.68f, 1.0f};
// What collided parts are tinted towards, and how far.
inline constexpr glm::vec4 kCollisionTint{0.92f, 0.12f, 0.08f, 1.0f};
inline constexpr float kCollisionTintShare = 0.7f;

class MachineStage final : public FramePart {
 public:
  MachineStage(JobData& job, const Playback& playback) : job_(job), playback_(playback) {}
  ~MachineStage() override;

  void update(FrameState& frame) override;
  camera::SceneBox sceneBox() const override { return box_; }
  void draw(const SceneDraw& scene) override;
  // Each model's triangles under its own id block, then its feature edges
  // as lines under the model's edge block (models past the 64th, or too
  // large for a block, are left out).
  void collectPickables(PickList& list) override;
  // The ends of a picked edge line, display frame, as last drawn.
  std::optional<std::array<glm::dvec3, 2>> edgeEnds(uint32_t model, uint32_t line) const;
  void release() override;

  // The placements of the last update, display frame, one per model (for
  // tests and pictures): model vertices at home times placement.
  struct DrawnModel {
    std::shared_ptr<const machine::ModelMesh> mesh;
    glm::mat4 placement{1.0f};
    glm::vec4 colour = kMachineColour;
  };
  const std::vector<DrawnModel>& drawn() const { return drawn_; }
  // The user's axis control: the node stands at value (millimetres or
  // radians) from the next update until the played position moves.
  void jog(int32_t node, double value);
  // Render thread: the nodes (-1 the base) whose models show the collision
  // tint from the next update.
  void setCollided(std::vector<int32_t> nodes) { collided_ = std::move(nodes); }
  // Render thread: the theme's colour for models without one of their own,
  // from the next update.
  void setModelColour(const glm::vec4& colour) {
    if (colour == modelColour_) return;
    modelColour_ = colour;
    modelColourChanged_ = true;
  }

 private:
  struct GpuMesh {
    std::shared_ptr<const machine::ModelMesh> mesh;
    GLuint vertexArray = 0, buffer = 0;
    GLsizei vertices = 0;
    GLuint edgeArray = 0, edgeBuffer = 0;
    GLsizei edgeVertices = 0;
    // The picking pass's runs of triangles and of edge lines; shared, so
    // they stay where they are while the list of meshes grows.
    std::shared_ptr<const std::vector<PickChunk>> chunks, edgeChunks;
  };
  static void uploadEdges(GpuMesh& g);
  static void deleteBuffers(GpuMesh& g);
  glm::vec4 modelColour_ = kMachineColour;
  bool modelColourChanged_ = false;
  struct ToolInUse {
    double length = 0.0;
    std::optional<int32_t> slot;
  };
  ToolInUse toolAt(const toolpath::Toolpath& path, int64_t move) const;
  void followPlayback(const machine::Machine& m, std::vector<double>& values) const;
  const GpuMesh* uploaded(const std::shared_ptr<const machine::ModelMesh>& mesh);

  JobData& job_;
  const Playback& playback_;
  std::vector<DrawnModel> drawn_;  // render thread
  std::vector<int32_t> collided_;  // render thread
  std::vector<double> shownValues_;
  std::vector<std::pair<int32_t, double>> jogs_;
  std::pair<int64_t, double> jogPosition_{-1, 0.0};  // the played move and fraction the jogs were made at
  uint64_t shownMeshRevision_ = 0;
  camera::SceneBox box_;
  std::vector<GpuMesh> gpuMeshes_;
};

}  // namespace view
