#pragma once
// The toolpath display's colours for the light and dark themes: feed
// moves, arcs (with arcs highlighted), rapids, move-end points, tool-axis
// vectors, the tint of highlighted tool parts, the outline of the tool's
// section by the cutting plane, selected move ends, the three colours of
// colouring by value, and the table that colours
// operations and tools (range colour index i takes entry i mod 16).
#include <array>

#include <glm/vec4.hpp>

#include "toolpath/ToolpathLines.h"

namespace toolpath {

struct ToolpathColours {
  glm::vec4 cut, arc, rapid, point, vector, toolTint, toolSection;
  glm::vec4 selected;  // the move ends a box selected
  // Colouring by value: the lowest value, the middle one, the highest.
  glm::vec4 valueLow, valueGood, valueHigh;
  std::array<glm::vec4, kRangeColours> ranges;
};

const ToolpathColours& toolpathColours(bool dark);

}  // namespace toolpath
