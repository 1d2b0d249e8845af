#include "view/ToolpathSelection.h"

#include <glm/gtc/type_ptr.hpp>
#include <glm/vec4.hpp>

#include "gpu/ProgramCache.h"
#include "gpu/UniformName.h"

namespace view {

void ToolpathSelection::choose(std::vector<int32_t> moves, const toolpath::ToolpathLines& lines,
                               const glm::dmat4& displayFrame) {
  clear();
  for (const int32_t move : moves) {
    if (move < 0 || static_cast<size_t>(move) >= lines.lastVertexOf.size()) continue;
    const uint32_t vertex = lines.lastVertexOf[static_cast<size_t>(move)];
    if (vertex >= lines.vertices.size()) continue;
    const float* p = lines.vertices[vertex].position;
    const glm::vec3 at(displayFrame * glm::dvec4(p[0], p[1], p[2], 1.0));
    box_.include({at, at});
    moves_.push_back(move);
    firsts_.push_back(static_cast<GLint>(vertex));
  }
  counts_.assign(firsts_.size(), 1);
}

void ToolpathSelection::clear() {
  moves_.clear();
  firsts_.clear();
  counts_.clear();
  box_ = {};
}

void ToolpathSelection::draw(const glm::mat4& model, const camera::Camera::DrawState& camera,
                             const glm::vec4& colour, float pointSize) {
  if (firsts_.empty()) return;
  if (!program_) program_ = gpu::drawProgram("Shaders\\selectedPoint.vert", "Shaders\\selectedPoint.frag");
  if (!program_) return;
  glUseProgram(program_);
  glUniformMatrix4fv(gpu::uniformLocation(program_, "model"), 1, GL_FALSE, glm::value_ptr(model));
  glUniformMatrix4fv(gpu::uniformLocation(program_, "cam_hi"), 1, GL_FALSE, glm::value_ptr(camera.camHi));
  glUniformMatrix4fv(gpu::uniformLocation(program_, "cam_lo"), 1, GL_FALSE, glm::value_ptr(camera.camLo));
  glUniform4fv(gpu::uniformLocation(program_, "ColorSelected"), 1, glm::value_ptr(colour));
  glPointSize(pointSize);
  glMultiDrawArrays(GL_POINTS, firsts_.data(), counts_.data(), static_cast<GLsizei>(firsts_.size()));
}

}  // namespace view
