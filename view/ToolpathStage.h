#pragma once
// The toolpath in the frame: its line strip, move-end points and tool-axis
// vectors, built when the toolpath snapshot changes and uploaded in place
// when the size stays, drawn through the window of visible moves that the
// toolpath mode and the current move choose, in the colours the display
// settings pick.
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>

#include "gpu/GL.h"
#include "toolpath/ToolpathLines.h"
#include "toolpath/VisibleMoves.h"
#include "toolpath/ToolpathColours.h"
#include "view/FramePart.h"
#include "view/JobData.h"
#include "view/ToolpathSelection.h"

namespace view {

class ToolpathStage final : public FramePart {
 public:
  explicit ToolpathStage(JobData& job) : job_(job) {}
  ~ToolpathStage() override;

  // Render thread: the window's content scale, which line widths follow.
  void setContentScale(float scale) { contentScale_ = scale > 0.0f ? scale : 1.0f; }
  // Line widths and point sizes in pixels at a content scale of 1: plain
  // and with thick lines or large points on. Set before the render thread
  // starts; sizes that are not positive keep the last ones.
  struct Sizes {
    float line = 1.0f, lineLarge = 2.0f, point = 4.0f, pointLarge = 7.0f;
  };
  void setSizes(const Sizes& sizes);
  const Sizes& sizes() const { return sizes_; }
  void update(FrameState& frame) override;
  // The toolpath's box in the display frame as it is now.
  camera::SceneBox sceneBox() const override;
  void draw(const SceneDraw& scene) override;
  // The move ends of the moves shown, of the kinds shown, as points whose
  // ids are the moves.
  void collectPickables(PickList& list) override;
  void release() override;

  // Box selection: the shown move ends that projView (scene to clip space)
  // puts inside the rectangle (window fractions, y up) become the
  // selection; an empty rectangle clears it. True when something is
  // selected.
  bool selectInRectangle(glm::dvec2 low, glm::dvec2 high, const glm::dmat4& projView);
  const ToolpathSelection& selection() const { return selection_; }

  // Render thread, for tests and figures.
  const toolpath::MoveWindow& window() const { return window_; }
  const toolpath::ToolpathLines* lines() const { return lines_.get(); }
  struct UploadCounts {
    uint64_t full = 0, inPlace = 0;
  };
  const UploadCounts& uploads() const { return uploads_; }

 private:
  struct Buffer {
    GLuint name = 0;
    size_t bytes = 0;
  };
  void upload(Buffer& buffer, GLenum target, const void* data, size_t bytes);
  void uploadLines();
  void drawRanges(GLuint program, GLenum primitive, int64_t current);
  void setColours(GLuint program, const glm::vec4& cut, const glm::vec4& arc, const glm::vec4& rapid, float alpha);
  void useValueColours(const glm::mat4& model, const camera::Camera::DrawState& camera);
  void drawVectors();
  // The vertex spans drawn: the visible move window, less hidden operations.
  std::vector<std::pair<uint32_t, uint32_t>> shownSpans() const;

  JobData& job_;
  toolpath::ToolpathColours colours_;  // the theme's, taken at each draw
  std::shared_ptr<const toolpath::Toolpath> source_;
  std::shared_ptr<const toolpath::ToolpathLines> lines_;
  bool linesUploaded_ = false;
  toolpath::MoveWindow window_;
  int64_t windowMove_ = -2;
  uint32_t windowMode_ = ~0u;
  std::optional<std::pair<int64_t, int64_t>> windowLimits_;
  int64_t current_ = -1;
  uint64_t settingsRevision_ = 0;
  UploadCounts uploads_;
  ToolpathSelection selection_;

  GLuint vertexArray_ = 0, vectorArray_ = 0;
  Buffer vertices_, vectors_, values_;
  GLuint linesProgram_ = 0, pointsProgram_ = 0, valuesProgram_ = 0, vectorsProgram_ = 0;
  float lineWidth_ = 0.0f;
  float contentScale_ = 1.0f;
  Sizes sizes_;
};

}  // namespace view
