#pragma once
// Box selection of toolpath elements: the moves whose end points, as the
// camera projects them, fall inside a rectangle of the window. Only what is
// shown can be chosen: the vertex spans drawn and the move kinds switched on.
#include <cstdint>
#include <utility>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>

#include "toolpath/ToolpathLines.h"

namespace toolpath {

struct RectangleQuery {
  glm::dmat4 toClip{1.0};           // toolpath coordinates to clip space
  glm::dvec2 low{0.0}, high{0.0};   // corners in window fractions, y up
  // Inclusive vertex ranges that are drawn.
  std::vector<std::pair<uint32_t, uint32_t>> spans;
  bool rapids = true, feeds = true;  // feeds include arcs
};

// Ascending move indices, each once. A point exactly on the rectangle's
// border is inside; one behind the eye or beyond the depth range is not.
std::vector<int32_t> movesInRectangle(const std::vector<LineVertex>& vertices, const RectangleQuery& query);

}  // namespace toolpath
