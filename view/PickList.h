#pragma once
// What the picking pass draws, handed over by the frame parts: models as
// triangles (and their edge lines) with their base ids, and toolpath
// vertices as points whose ids are their move indices. Vertex arrays carry
// the position at attribute 0 (toolpath vertices also their kind at 1 and
// move at 2). Render thread only.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include <glm/common.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "gpu/GL.h"

namespace view {

// A run of a model's whole primitives and the box (model coordinates) its
// vertices lie in: the picking pass skips the runs whose box misses the
// few pixels it draws, so a large model costs little away from the cursor.
struct PickChunk {
  GLint first = 0;     // vertex
  GLsizei count = 0;   // vertices
  glm::vec3 min{0.0f}, max{0.0f};
};

// Runs of up to kPickChunkPrimitives primitives in buffer order; position(i)
// is vertex i's position. Buffers whose neighbouring primitives lie near
// one another (as meshes are written) give tight boxes.
inline constexpr size_t kPickChunkPrimitives = 256;
template <typename Position>
std::vector<PickChunk> pickChunks(size_t vertexCount, size_t verticesPerPrimitive, Position position) {
  std::vector<PickChunk> chunks;
  const size_t run = kPickChunkPrimitives * verticesPerPrimitive;
  const size_t whole = vertexCount - vertexCount % verticesPerPrimitive;
  for (size_t first = 0; first < whole; first += run) {
    const size_t end = std::min(first + run, whole);
    PickChunk chunk{static_cast<GLint>(first), static_cast<GLsizei>(end - first), position(first), position(first)};
    for (size_t v = first + 1; v < end; ++v) {
      const glm::vec3 p = position(v);
      chunk.min = glm::min(chunk.min, p);
      chunk.max = glm::max(chunk.max, p);
    }
    chunks.push_back(chunk);
  }
  return chunks;
}

struct PickPrimitives {
  GLuint vertexArray = 0;
  GLenum mode = GL_TRIANGLES;  // GL_TRIANGLES or GL_LINES, not indexed
  GLint first = 0;
  GLsizei count = 0;  // vertices
  glm::mat4 model{1.0f};
  uint32_t baseId = 0;
  // Runs covering first..first + count; none: drawn whole. Owned by the
  // part that hands the primitives over, alive until the pick ends.
  const std::vector<PickChunk>* chunks = nullptr;
};

struct PickPoints {
  GLuint vertexArray = 0;
  GLint first = 0;
  GLsizei count = 0;
  glm::mat4 model{1.0f};
  float pointSize = 7.0f;  // pixels
  bool rapids = true, feeds = true;  // the move kinds whose ends take part
};

struct PickList {
  std::vector<PickPrimitives> meshes;  // triangles first, lines after
  std::vector<PickPoints> points;
};

}  // namespace view
