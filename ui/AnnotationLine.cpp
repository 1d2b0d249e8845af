#include "ui/AnnotationLine.h"

#include <array>
#include <cmath>

#include <glm/geometric.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <glm/mat3x3.hpp>
#include <glm/vec2.hpp>

#include "gpu/ProgramCache.h"
#include "gpu/UniformName.h"

namespace UI {

void AnnotationLine::draw(const Annotation& annotation, int framebufferWidth, int framebufferHeight) {
  const std::optional<std::array<ScreenPoint, 2>> ends = annotation.line();
  if (!ends || framebufferWidth <= 0 || framebufferHeight <= 0) return;
  // The flat program of the gnomon's axes: device positions as they come.
  if (!program_) program_ = gpu::drawProgram("Shaders\\Gnomon.vert", "Shaders\\basic.frag");
  if (!program_) return;
  if (!array_) {
    glGenVertexArrays(1, &array_);
    glGenBuffers(1, &buffer_);
    glBindVertexArray(array_);
    glBindBuffer(GL_ARRAY_BUFFER, buffer_);
    glBufferData(GL_ARRAY_BUFFER, 4 * 7 * sizeof(float), nullptr, GL_DYNAMIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 7 * sizeof(float), nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, 7 * sizeof(float), reinterpret_cast<const void*>(12));
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
  }
  // The band's corners in pixels, then in device units.
  const glm::vec2 size(framebufferWidth, framebufferHeight);
  const glm::vec2 a = glm::vec2((*ends)[0][0], (*ends)[0][1]) * size, b = glm::vec2((*ends)[1][0], (*ends)[1][1]) * size;
  const glm::vec2 along = b - a;
  const float length = glm::length(along);
  const glm::vec2 across = length > 0 ? glm::vec2(-along.y, along.x) / length * (kWidthPixels / 2) : glm::vec2(0, 1);
  const Colour& c = annotation.theme().measure;
  std::array<float, 28> vertices{};
  const glm::vec2 corners[4] = {a - across, a + across, b - across, b + across};
  for (size_t k = 0; k < 4; ++k) {
    const glm::vec2 device = corners[k] / size * 2.0f - 1.0f;
    const float vertex[7] = {device.x, device.y, 0, c[0], c[1], c[2], c[3]};
    std::copy(vertex, vertex + 7, vertices.begin() + k * 7);
  }
  glBindBuffer(GL_ARRAY_BUFFER, buffer_);
  glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof vertices, vertices.data());
  glBindBuffer(GL_ARRAY_BUFFER, 0);

  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  const GLboolean depth = glIsEnabled(GL_DEPTH_TEST), cull = glIsEnabled(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glViewport(0, 0, framebufferWidth, framebufferHeight);
  glUseProgram(program_);
  const glm::mat3 identity(1.0f);
  glUniformMatrix3fv(gpu::uniformLocation(program_, "rotation"), 1, GL_FALSE, glm::value_ptr(identity));
  glUniform1f(gpu::uniformLocation(program_, "scale"), 1.0f);
  glBindVertexArray(array_);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
  glBindVertexArray(0);
  glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
  if (depth) glEnable(GL_DEPTH_TEST);
  if (cull) glEnable(GL_CULL_FACE);
}

void AnnotationLine::release() {
  if (buffer_) glDeleteBuffers(1, &buffer_);
  if (array_) glDeleteVertexArrays(1, &array_);
  array_ = buffer_ = 0;
  program_ = 0;  // the window's programs go with the program cache
}

}  // namespace UI
