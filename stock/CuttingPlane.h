#pragma once
// The section through the scene: everything on the side the plane's normal
// points to is cut away, so the inside of the stock and the tool show.
#include <glm/vec3.hpp>

namespace stock {

struct CuttingPlane {
  bool enabled = false;
  glm::vec3 direction{1.0f, 0.0f, 0.0f};  // the side it points to is cut away
  glm::vec3 origin{0.0f};
};

}  // namespace stock
