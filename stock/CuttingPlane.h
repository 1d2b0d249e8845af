#pragma once
// The section through the scene: everything on the side the plane's normal
// points to is cut away, so the inside of the stock and the tool show.
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

namespace stock {

struct CuttingPlane {
  bool enabled = false;
  glm::vec3 direction{1.0f, 0.0f, 0.0f};  // the side it points to is cut away
  glm::vec3 origin{0.0f};
  // What the stock's inside shows where the plane opens it: the far walls'
  // inner faces, seen through the cut, take this flat colour (the theme's).
  glm::vec4 insideColour{0.85f, 0.35f, 0.30f, 1.0f};
};

}  // namespace stock
