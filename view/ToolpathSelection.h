#pragma once
// The toolpath moves the user chose with a box: kept until the next box or
// a new toolpath, framed by the zoom to selection, and drawn over the
// toolpath as round points at the moves' ends.
#include <cstdint>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec4.hpp>

#include "camera/Camera.h"
#include "gpu/GL.h"
#include "toolpath/ToolpathLines.h"

namespace view {

class ToolpathSelection {
 public:
  // Render thread. moves: ascending indices into lines; displayFrame takes
  // toolpath coordinates into the scene.
  void choose(std::vector<int32_t> moves, const toolpath::ToolpathLines& lines, const glm::dmat4& displayFrame);
  void clear();

  const std::vector<int32_t>& moves() const { return moves_; }
  // The selected move ends in scene coordinates; invalid when none.
  const camera::SceneBox& box() const { return box_; }

  // With the toolpath's vertex array bound.
  void draw(const glm::mat4& model, const camera::Camera::DrawState& camera, const glm::vec4& colour,
            float pointSize);
  void release() { program_ = 0; }

 private:
  std::vector<int32_t> moves_;
  std::vector<GLint> firsts_;     // the moves' last vertices
  std::vector<GLsizei> counts_;   // one vertex each
  camera::SceneBox box_;
  GLuint program_ = 0;
};

}  // namespace view
