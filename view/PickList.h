#pragma once
// What the picking pass draws, handed over by the frame parts: models as
// triangles (and their edge lines) with their base ids, and toolpath
// vertices as points whose ids are their move indices. Vertex arrays carry
// the position at attribute 0 (toolpath vertices also their kind at 1 and
// move at 2). Render thread only.
#include <cstdint>
#include <vector>

#include <glm/mat4x4.hpp>

#include "gpu/GL.h"

namespace view {

struct PickPrimitives {
  GLuint vertexArray = 0;
  GLenum mode = GL_TRIANGLES;  // GL_TRIANGLES or GL_LINES, not indexed
  GLint first = 0;
  GLsizei count = 0;  // vertices
  glm::mat4 model{1.0f};
  uint32_t baseId = 0;
};

struct PickPoints {
  GLuint vertexArray = 0;
  GLint first = 0;
  GLsizei count = 0;
  glm::mat4 model{1.0f};
  float pointSize = 7.0f;  // pixels
};

struct PickList {
  std::vector<PickPrimitives> meshes;  // triangles first, lines after
  std::vector<PickPoints> points;
};

}  // namespace view
