#pragma once
// The tool at the played position: every part of the tool in use and its
// holder, posed at the tip with the tool axis the kinematics give there,
// and the position marker. The tool is drawn into its own colour and depth
// target and put into the scene at its own depth; the cutting plane cuts
// it and outlines its section. Parts carry a tag (0 cutting part, 1 shoulder,
// 2 shaft, 3 holder parts and the holder model) that the tint of collided
// or highlighted parts selects by.
#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec4.hpp>

#include "gpu/GL.h"
#include "gpu/TextureTarget.h"
#include "tools/PackedMesh.h"
#include "toolpath/ToolpathColours.h"
#include "view/FramePart.h"
#include "view/JobData.h"

namespace view {

class ToolStage final : public FramePart {
 public:
  ToolStage(JobData& job, const Playback& playback) : job_(job), playback_(playback) {}
  ~ToolStage() override;

  void update(FrameState& frame) override;
  camera::SceneBox sceneBox() const override { return {}; }  // the scene does not frame the tool
  void draw(const SceneDraw& scene) override;
  // The tool and its holder as one model's triangles (entity::kToolModel).
  void collectPickables(PickList& list) override;
  void release() override;

  // Parts whose tag bit is set are tinted (collisions, highlights); any thread.
  std::atomic<uint32_t> tintedParts{0};

  // Render thread, for tests: the mesh drawn and its placement (tool frame
  // to display frame); empty without a tool in use.
  const tools::PackedMesh& mesh() const { return mesh_; }
  const glm::mat4& placement() const { return placement_; }
  bool shown() const { return shown_; }

 private:
  void rebuildMesh(const tools::Tool& tool, bool withHolder);
  void rebuildMeshParts(const tools::Tool& tool, bool withHolder);
  // The tool's box on screen, in pixels of a width x height viewport; none
  // when it lies outside.
  std::optional<glm::ivec4> footprint(const camera::Camera::DrawState& camera, int width, int height) const;
  bool programsReady();
  void upload();
  void useCamera(GLuint program, const camera::Camera::DrawState& camera) const;
  void useCuttingPlane(GLuint program, const stock::CuttingPlane& plane) const;
  void drawParts(const SceneDraw& scene);
  void drawOverlay(const SceneDraw& scene);
  void drawMarker(const camera::Camera::DrawState& camera);

  JobData& job_;
  toolpath::ToolpathColours colours_;  // the theme's, taken at each draw
  const Playback& playback_;
  uint64_t meshTool_ = 0, meshRevision_ = ~0ull;
  bool meshWithHolder_ = true, meshWithTool_ = true;
  tools::PackedMesh mesh_;
  glm::vec3 meshMin_{0.0f}, meshMax_{0.0f};  // the mesh's box, tool frame
  glm::mat4 placement_{1.0f};
  glm::vec3 tip_{0.0f};
  bool shown_ = false, uploaded_ = false;
  GLuint vertexArray_ = 0, buffer_ = 0, markerArray_ = 0, quadArray_ = 0;
  GLuint program_ = 0, markerProgram_ = 0, sectionProgram_ = 0, maskProgram_ = 0, compositeProgram_ = 0;
  gpu::TextureTarget target_;
};

}  // namespace view
