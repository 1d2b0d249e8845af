#pragma once
// Vertex arrays for the picking pass made from plain data, as the frame
// parts lay theirs out: positions only (models), or the toolpath's
// position, kind and move (toolpath::LineVertex). The caller deletes both
// names with the context current.
#include <cstddef>

#include "gpu/GL.h"

namespace testsupport {

struct PickArray {
  GLuint array = 0, buffer = 0;
};

inline PickArray uploadPickArray(const void* data, size_t bytes, bool toolpathLayout) {
  PickArray made;
  glGenVertexArrays(1, &made.array);
  glGenBuffers(1, &made.buffer);
  glBindVertexArray(made.array);
  glBindBuffer(GL_ARRAY_BUFFER, made.buffer);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
  const GLsizei stride = toolpathLayout ? 20 : 12;
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
  if (toolpathLayout) {
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 1, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(12));
    glEnableVertexAttribArray(2);
    glVertexAttribIPointer(2, 1, GL_INT, stride, reinterpret_cast<const void*>(16));
  }
  glBindVertexArray(0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  return made;
}

}  // namespace testsupport
